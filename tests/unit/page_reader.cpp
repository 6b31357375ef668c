#include "tests/unit/page_reader.h"

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}

// What follows each marker's element up to the next end. A marker that ends in an open class attribute
// matches the class among others too ("xlabel" in class="xlabel end").
static std::vector<std::string> Contents(const std::string& page, const std::string& marker, const char* end,
                                         bool among = false) {
    std::vector<std::string> contents;
    for (size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at + 1)) {
        char next = at + marker.size() < page.size() ? page[at + marker.size()] : '\0';
        if (among && next != '"' && next != ' ')
            continue;
        size_t from = page.find('>', at) + 1;
        contents.push_back(page.substr(from, page.find(end, from) - from));
    }
    return contents;
}

std::vector<std::string> Cells(const std::string& page, const std::string& cssClass) {
    return Contents(page, "<td class=\"" + cssClass + "\"", "</td>");
}

std::vector<std::string> Texts(const std::string& page, const std::string& cssClass) {
    return Contents(page, "class=\"" + cssClass, "<", true);
}

std::vector<std::string> Tags(const std::string& page, const std::string& opening) {
    std::vector<std::string> tags;
    for (size_t at = page.find(opening); at != std::string::npos; at = page.find(opening, at + 1))
        tags.push_back(page.substr(at, page.find('>', at) + 1 - at));
    return tags;
}

std::vector<std::string> Attributes(const std::string& page, const std::string& opening,
                                    const std::string& attribute) {
    std::vector<std::string> values;
    std::string name = " " + attribute + "=\"";
    for (size_t at = page.find(opening); at != std::string::npos; at = page.find(opening, at + 1)) {
        size_t end = page.find('>', at);
        size_t found = page.find(name, at);
        if (found == std::string::npos || found > end)
            continue;
        found += name.size();
        values.push_back(page.substr(found, page.find('"', found) - found));
    }
    return values;
}

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    size_t start = text.find(from);
    if (start == std::string::npos)
        return {};
    size_t end = text.find(to, start + from.size());
    return end == std::string::npos ? std::string() : text.substr(start, end + to.size() - start);
}
