#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "formula/functions/SteelTable.h"

namespace kq {
namespace {

constexpr double kPi = 3.1415926;
constexpr int kDiameters[] = {6, 7, 8, 9, 10, 12, 14, 16, 18, 20, 22, 25, 28, 32, 36, 40, 50};

// The bend rule the tabulated hook and bend values come from: coefficient to
// two decimals, times d/10, to one decimal.
double HookByRule(double k, double degrees, double straight, int d)
{
    const double r = k / 2 + 0.5, theta = degrees * kPi / 180;
    const double coefficient = std::round((r * theta + straight - (r + 0.5)) * 100) / 100;
    return coefficient * d / 10;
}
double BendByRule(double k, double degrees, int d)
{
    const double r = k / 2 + 0.5, theta = degrees * kPi / 180;
    const double coefficient = std::round(std::fabs(r * theta - 2 * r * std::tan(theta / 2)) * 100) / 100;
    return coefficient * d / 10;
}

TEST(SteelTable, EveryHookAndBendValueFollowsTheBendRule)
{
    CTERNSteelPropInfo info;
    struct CHook {
        int m_nGrade;  // 0-based
        double m_dAngle, m_dK, m_dStraight;
    };
    const CHook hooks[] = {{0, 90, 2.5, 10}, {1, 90, 4, 10}, {2, 90, 5, 10}, {0, 135, 2.5, 5},
                           {1, 135, 4, 5},   {2, 135, 5, 5}, {0, 180, 2.5, 3}};
    int checked = 0;
    for (int d : kDiameters) {
        for (const CHook& h : hooks) {
            SCOPED_TRACE(testing::Message() << "d=" << d << " grade=" << h.m_nGrade << " angle=" << h.m_dAngle);
            double value = info.GetIncrease(h.m_nGrade, d, h.m_dAngle);
            if (value == -1) continue;
            EXPECT_NEAR(value, HookByRule(h.m_dK, h.m_dAngle, h.m_dStraight, d), 0.1001);
            ++checked;
        }
        for (int grade = 0; grade < 4; ++grade) {
            SCOPED_TRACE(testing::Message() << "d=" << d << " grade=" << grade);
            const double k90 = grade == 0 ? 2.5 : 5;
            if (double v = info.GetDecrease(grade, d, 45, 0); v != -1) {
                EXPECT_NEAR(v, BendByRule(20, 45, d), 0.1001);
            }
            if (double v = info.GetDecrease(grade, d, 90, 0); v != -1) {
                EXPECT_NEAR(v, BendByRule(k90, 90, d), 0.1001);
            }
            EXPECT_NEAR(info.GetDecrease(grade, d, 90, 1), BendByRule(20, 90, d), 0.1001);
        }
    }
    EXPECT_EQ(checked, 17 * 4 + 8 * 3);  // grade 1 has hooks only for the eight bars from 8 to 20
}

TEST(SteelTable, AreaAndMassMatchTheNominalDiameter)
{
    CTERNSteelPropInfo info;
    for (int d : kDiameters) {
        SCOPED_TRACE(d);
        const CSteelProperty* p = info.GetProperty(d);
        ASSERT_NE(p, nullptr);
        EXPECT_NEAR(p->m_dArea, 3.14159265358979 * d * d / 400, 0.001);
        EXPECT_NEAR(p->m_dDensity, p->m_dArea * 0.785, p->m_dDensity * 0.01);
        EXPECT_GT(p->m_dOutRadio, d);
        EXPECT_LT(p->m_dIntRadio, d);
    }
}

TEST(SteelTable, LookupsOutsideTheTableGiveZero)
{
    CTERNSteelPropInfo info;
    struct CCase {
        const char* m_szWhat;
        double m_dValue;
    };
    const CCase cases[] = {
        {"outer of 11", info.GetOutRadio(11)},
        {"density of 11", info.GetDensity(11)},
        {"hook at 45", info.GetIncrease(0, 10, 45)},
        {"hook at 200", info.GetIncrease(0, 10, 200)},
        {"hook at 100", info.GetIncrease(0, 10, 100)},
        {"grade 4 hook", info.GetIncrease(3, 10, 90)},
        {"180 hook of grade 2", info.GetIncrease(1, 10, 180)},
        {"bend at 0", info.GetDecrease(1, 10, 0, 0)},
        {"bend at 120", info.GetDecrease(1, 10, 120, 0)},
        {"bend at 60", info.GetDecrease(1, 10, 60, 0)},
        {"grade out of range", info.GetIncrease(7, 10, 90)},
        {"diameter out of table", info.GetDecrease(1, 11, 45, 0)},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.m_szWhat);
        EXPECT_EQ(c.m_dValue, 0.0);
    }
    EXPECT_EQ(info.GetIncrease(0, 10, -90), 10.5);  // the sign of the angle does not matter
}

TEST(SteelTable, RadioListFollowsTheGradeBounds)
{
    CTERNSteelPropInfo info;
    struct CCase {
        int m_nGrade, m_nCount, m_nFirst, m_nLast;
    };
    const CCase cases[] = {{0, 8, 8, 20}, {1, 17, 6, 50}, {2, 17, 6, 50}, {3, 14, 8, 40}, {9, 16, 6, 40}, {-1, 16, 6, 40}};
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.m_nGrade);
        std::vector<int> list{99};
        ASSERT_EQ(info.GetSteelRadioList(list, c.m_nGrade), c.m_nCount);
        ASSERT_EQ(list.size(), static_cast<size_t>(c.m_nCount));
        EXPECT_EQ(list.front(), c.m_nFirst);
        EXPECT_EQ(list.back(), c.m_nLast);
    }
}

TEST(SteelTable, HookOutputsGiveArcAndStraightLength)
{
    CTERNSteelPropInfo info;
    double arc = -1, straight = -1;
    EXPECT_EQ(info.GetIncrease(0, 10, 180, &arc, &straight), 6.3);
    EXPECT_NEAR(arc, 1.75 * 10 * kPi / 10, 1e-9);
    EXPECT_NEAR(straight, 3.0, 1e-9);
    EXPECT_NEAR(info.GetSteelLink(1, 10, 2), 30.0, 1e-9);
    EXPECT_NEAR(info.GetSteelLink(0, 10, 0), 11.3, 1e-9);
}

}  // namespace
}  // namespace kq
