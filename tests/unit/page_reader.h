// Reading the report's markup back in tests: what its class names and data- attributes mark.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How many times needle occurs in text.
size_t Count(const std::string& text, const std::string& needle);
// The contents of every <td class="cssClass"> cell, in order.
std::vector<std::string> Cells(const std::string& page, const std::string& cssClass);
// The text inside every element of that class, also among others (up to its first child element).
std::vector<std::string> Texts(const std::string& page, const std::string& cssClass);
// The opening tag, up to its '>', of every element that opens with opening.
std::vector<std::string> Tags(const std::string& page, const std::string& opening);
// The values of attribute in every element that opens with opening (e.g. "<circle class=\"trend-point\"").
std::vector<std::string> Attributes(const std::string& page, const std::string& opening, const std::string& attribute);
// The text from the first occurrence of from up to the next occurrence of to after it ("" when missing).
std::string Between(const std::string& text, const std::string& from, const std::string& to);
