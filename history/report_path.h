// Where the report lives: <application data>\Vorkel\<application name>\report.html, beside the history.
#pragma once

#include <string>

// "" when the folder or the application's name is unknown.
std::string ReportPath();
