#pragma once

constexpr const char kVersion[] = "1.00R";
constexpr const char kProductLine[] = "Cadro! 1.00R";
// The window title: one pattern, the version its only field.
constexpr const char kTitlePattern[] = "Cadro! %s - (c) 2026 the Cadro developers";
constexpr const char kWebAddress[] = "https://cadro.example.org/";
