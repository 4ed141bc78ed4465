// The number rules the show's code relies on.
#include "runtime/Runtime.h"

#include <gtest/gtest.h>

#include <cmath>

using Runtime::RuntimeError;

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(Runtime::CInt(640.5f), 640); // a drawing area of 640.5 pixels is 640
    EXPECT_EQ(Runtime::CInt(641.5f), 642);
    EXPECT_EQ(Runtime::CInt(-0.5), 0);
    EXPECT_EQ(Runtime::CInt(-1.5), -2);
    EXPECT_EQ(Runtime::CInt(2.4999), 2);
    EXPECT_EQ(Runtime::CLng(10.5), 10);
    EXPECT_EQ(Runtime::CLng(-355.0 - 10.0), -365);
}

TEST(Rounding, ResultsOutsideTheIntegerRangeOverflow)
{
    EXPECT_EQ(Runtime::CInt(32766.5), 32766);
    EXPECT_EQ(Runtime::CInt(-32768.5), -32768);
    EXPECT_THROW(Runtime::CInt(32767.5), RuntimeError);
    EXPECT_THROW(Runtime::CInt(40000), RuntimeError);
    EXPECT_THROW(Runtime::CLng(2147483647.5), RuntimeError);
    EXPECT_THROW(Runtime::CLng(NAN), RuntimeError);
    EXPECT_THROW(Runtime::CLng(INFINITY), RuntimeError);
}

TEST(CheckedIntegers, SixteenAndThirtyTwoBitSumsOverflowInsteadOfWrapping)
{
    EXPECT_EQ(Runtime::AddInt16(32765, 2), 32767);
    EXPECT_THROW(Runtime::AddInt16(32767, 1), RuntimeError);
    EXPECT_THROW(Runtime::AddInt16(-32768, -1), RuntimeError);
    EXPECT_EQ(Runtime::AddInt32(2147483640, 7), 2147483647);
    EXPECT_THROW(Runtime::AddInt32(2147483647, 1), RuntimeError);
}

TEST(BoundedArrays, IndexesOutsideTheDeclaredBoundsAreRunTimeErrors)
{
    Runtime::BoundedArray<int, 0, 20> table;
    table(20) = 7;
    EXPECT_EQ(table(20), 7);
    EXPECT_THROW(table(21), RuntimeError);
    EXPECT_THROW(table(-1), RuntimeError);

    Runtime::BoundedArray2<double, 0, 90, 0, 60> grid;
    grid(90, 60) = 1.5;
    EXPECT_EQ(grid(90, 60), 1.5);
    EXPECT_EQ(grid(60, 90 - 30), 0.0);
    EXPECT_THROW(grid(91, 0), RuntimeError);
    EXPECT_THROW(grid(0, 61), RuntimeError);
}

TEST(Resume, SkipsAFailingStatementAndGoesOn)
{
    int after = 0;
    Runtime::Resume([] { throw RuntimeError("Subscript out of range"); });
    Runtime::Resume([&] { after = 1; });
    EXPECT_EQ(after, 1);
}
