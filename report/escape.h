// Text made safe for an HTML page.
// Texts come from game memory and files: any bytes. Escaping leaves no markup of theirs in the page, and
// bytes that are not UTF-8 or are control characters (C0, C1 and those setting the direction of text) become
// U+FFFD, so the page stays valid UTF-8 and no text can reorder what stands around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Appends text escaped for an element's content or a quoted attribute, at most maxChars characters of it
// (an ellipsis marks a cut).
void AppendEscaped(std::string& out, std::string_view text, size_t maxChars = SIZE_MAX);
std::string Escaped(std::string_view text, size_t maxChars = SIZE_MAX);
// The same inside <bdi>, for a game's text within a sentence: a right-to-left text keeps its own direction
// without moving the words after it.
void AppendIsolated(std::string& out, std::string_view text, size_t maxChars = SIZE_MAX);
