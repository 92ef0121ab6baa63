#include "platform/kernel/PressureReader.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(PressureReader, ReadsTenSecondAverages)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("proc/pressure/memory"),
                    "some avg10=12.50 avg60=3.00 avg300=1.00 total=123456\n"
                    "full avg10=4.25 avg60=1.00 avg300=0.50 total=23456\n");
    const auto p = PressureReader::readMemory(SysRoot(dir.path()));
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->someAvg10, 12.5);
    EXPECT_DOUBLE_EQ(p->fullAvg10, 4.25);
}

TEST(PressureReader, MissingOrMalformedFileIsNothing)
{
    QTemporaryDir dir;
    EXPECT_FALSE(PressureReader::readMemory(SysRoot(dir.path())));
    EXPECT_FALSE(PressureReader::parse("nonsense\n"));
    EXPECT_FALSE(PressureReader::parse("some avg10=nan avg60=0\n"));
    // A kernel without the "full" line still gives the "some" figure.
    const auto p = PressureReader::parse("some avg10=1.00 avg60=0.00 avg300=0.00 total=1\n");
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->fullAvg10, 0);
}
