// The page's head: its policy, title and style sheet, up to the opening of its body.
#pragma once

extern const char kPageHead[];
