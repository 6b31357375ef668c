// The game record's former place: report/ still names it here.
#pragma once

#include "record/record.h"
