// Product name, version and the texts built from them.
#pragma once

constexpr const char kVersion[] = "1.00R";
// The About box's product line is formatted from this: a format without placeholders.
#define CADRO_PRODUCT_LINE "Cadro! 1.00R"
// The window title: one pattern, the version its only field.
constexpr const char kTitlePattern[] = "Cadro! %s - (c) 2026 the Cadro developers";
constexpr const char kWebAddress[] = "https://cadro.example.org/";
