#include <gtest/gtest.h>

#include "measure/measure.h"
#include "tests/unit/fake_os.h"

TEST(Placeholder, Builds) { SUCCEED(); }
