#include <gtest/gtest.h>

#include "centre.h"

TEST(CentredPosition, CentresClientSizeWithTruncatingDivision)
{
    DeskRect desk = {0, 0, 800, 600};
    int x = 0, y = 0;
    CentredPosition(desk, 301, 201, &x, &y);
    EXPECT_EQ(x, 400 - 150);
    EXPECT_EQ(y, 300 - 100);
    DeskRect odd = {0, 0, 801, 601};
    CentredPosition(odd, 900, 700, &x, &y);
    EXPECT_EQ(x, 400 - 450);  // a dialog wider than the desktop goes left of 0
    EXPECT_EQ(y, 300 - 350);
}
