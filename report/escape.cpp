#include "report/escape.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at text[i], or 0.
size_t SequenceLength(std::string_view text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms, surrogates and values past U+10FFFF.
    if ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xED && byte(i + 1) >= 0xA0) ||
        (lead == 0xF0 && byte(i + 1) < 0x90) || (lead == 0xF4 && byte(i + 1) >= 0x90))
        return 0;
    return length;
}

// C1 controls and the marks, embeddings, overrides and isolates that set the direction of text: from a
// game's text they could reorder the page's sentences around it.
bool IsControl(std::string_view text, size_t i, size_t length) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (length == 2)
        return (byte(0) == 0xC2 && byte(1) < 0xA0) || (byte(0) == 0xD8 && byte(1) == 0x9C);  // U+061C
    if (length != 3 || byte(0) != 0xE2)
        return false;
    return (byte(1) == 0x80 && (byte(2) == 0x8E || byte(2) == 0x8F || (byte(2) >= 0xAA && byte(2) <= 0xAE))) ||
           (byte(1) == 0x81 && byte(2) >= 0xA6 && byte(2) <= 0xA9);
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text, size_t maxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++chars) {
        if (chars == maxChars) {
            out += "\xE2\x80\xA6";
            return;
        }
        char c = text[i];
        size_t length = SequenceLength(text, i);
        if (length == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        if (length > 1) {
            if (IsControl(text, i, length))
                out += kReplacement;
            else
                out.append(text.data() + i, length);
            i += length;
            continue;
        }
        ++i;
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                out += kReplacement;
            else
                out += c;
        }
    }
}

std::string Escaped(std::string_view text, size_t maxChars) {
    std::string out;
    AppendEscaped(out, text, maxChars);
    return out;
}

void AppendIsolated(std::string& out, std::string_view text, size_t maxChars) {
    out += "<bdi>";
    AppendEscaped(out, text, maxChars);
    out += "</bdi>";
}
