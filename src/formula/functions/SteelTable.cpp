#include "formula/functions/SteelTable.h"

#include <cmath>

#include "formula/text/TERNString.h"

namespace kq {

namespace {

constexpr double kPi = 3.1415926;
constexpr double kTolerance = 0.01;

// One tabulated diameter. Hooks: 90° and 135° for grades 1-3, 180° for grade
// 1; deductions: 45° for grades 2 and 3, 90° for grade 1 and for grades 2/3,
// and the large-bend 90° deduction shared by all grades.
struct CSteelRow {
    double d, outer, inner;
    double add90[3];
    double add135[3];
    double add180g1;
    double dec45g23;
    double dec90g1;
    double dec90g23;
    double dec90m;
    double area, mass;
};

constexpr CSteelRow kRows[CTERNSteelPropInfo::kRowCount] = {
    {6, 6.75, 5.75, {-1, 6.6, 6.7}, {-1, 4.7, 5.1}, -1, 0.3, -1, 0.8, 2.7, 0.283, 0.222},
    {7, 7.75, 6.75, {-1, 7.7, 7.8}, {-1, 5.5, 6.0}, -1, 0.3, -1, 0.9, 3.2, 0.385, 0.302},
    {8, 9.0, 7.5, {8.4, 8.7, 9.0}, {5.5, 6.3, 6.9}, 5.0, 0.4, 0.6, 1.0, 3.6, 0.503, 0.395},
    {9, 10.0, 8.5, {9.5, 9.8, 10.1}, {6.2, 7.1, 7.7}, 5.6, 0.4, 0.7, 1.2, 4.1, 0.636, 0.499},
    {10, 11.3, 9.3, {10.5, 10.9, 11.2}, {6.9, 7.9, 8.6}, 6.3, 0.5, 0.8, 1.3, 4.5, 0.785, 0.617},
    {12, 13.0, 11.0, {12.6, 13.1, 13.5}, {8.2, 9.5, 10.3}, 7.5, 0.5, 0.9, 1.5, 5.4, 1.131, 0.888},
    {14, 15.5, 13.0, {14.7, 15.3, 15.7}, {9.6, 11.0, 12.0}, 8.8, 0.6, 1.1, 1.8, 6.3, 1.539, 1.21},
    {16, 17.5, 15.0, {16.8, 17.5, 17.9}, {11.0, 12.6, 13.7}, 10.0, 0.7, 1.2, 2.1, 7.2, 2.011, 1.58},
    {18, 20.0, 17.0, {18.9, 19.7, 20.2}, {12.4, 14.2, 15.4}, 11.3, 0.8, 1.4, 2.3, 8.1, 2.545, 2.0},
    {20, 22.0, 19.0, {21.0, 21.9, 22.4}, {13.7, 15.8, 17.1}, 12.5, 0.9, 1.5, 2.6, 9.0, 3.142, 2.47},
    {22, 24.0, 21.0, {-1, 24.0, 24.7}, {-1, 17.4, 18.9}, -1, 1.0, -1, 2.8, 9.9, 3.801, 2.98},
    {25, 27.0, 24.0, {-1, 27.3, 28.0}, {-1, 19.7, 21.4}, -1, 1.1, -1, 3.2, 11.3, 4.909, 3.85},
    {28, 30.0, 26.5, {-1, 30.6, 31.4}, {-1, 22.1, 24.0}, -1, 1.3, -1, 3.6, 12.6, 6.158, 4.83},
    {32, 34.5, 30.5, {-1, 35.0, 35.9}, {-1, 25.2, 27.4}, -1, 1.4, -1, 4.1, 14.4, 8.042, 6.31},
    {36, 39.5, 34.5, {-1, 39.3, 40.4}, {-1, 28.4, 30.9}, -1, 1.6, -1, 4.6, 16.2, 10.179, 7.99},
    {40, 43.5, 38.5, {-1, 43.7, 44.8}, {-1, 31.6, 34.3}, -1, 1.8, -1, 5.2, 18.0, 12.566, 9.87},
    {50, 53.5, 48.5, {-1, 54.7, 56.1}, {-1, 39.5, 42.9}, -1, 2.3, -1, 6.5, 22.5, 19.635, 15.413},
};

// Bend diameter factor k of a hook by 0-based grade (grade 4 has no hooks).
constexpr double kHookBendFactor[3] = {2.5, 4, 5};

}  // namespace

void CSteelStandAddDec::InitParam(double add90, double add135, double add180, double dec45, double dec90, double dec90m)
{
    m_dAdd90 = add90;
    m_dAdd135 = add135;
    m_dAdd180 = add180;
    m_dDec45 = dec45;
    m_dDec90m = dec90m;
    m_dDec90 = dec90;
}

void CSteelProperty::InitParam(double diameter, double outRadio, double intRadio, double area, double density)
{
    m_dDiameter = diameter;
    m_dOutRadio = outRadio;
    m_dIntRadio = intRadio;
    m_dArea = area;
    m_dDensity = density;
}

CTERNSteelPropInfo::CTERNSteelPropInfo()
{
    InitParam();
    InitSteelProperty();
}

void CTERNSteelPropInfo::InitParam()
{
    m_bRoundDensity = 1;
}

void CTERNSteelPropInfo::InitSteelProperty()
{
    m_aProperty.clear();
    m_aProperty.reserve(kRowCount);
    for (const CSteelRow& row : kRows) {
        CSteelProperty p;
        p.InitParam(row.d, row.outer, row.inner, row.area, row.mass);
        p.m_aStand[0].InitParam(row.add90[0], row.add135[0], row.add180g1, -1, row.dec90g1, row.dec90m);
        p.m_aStand[1].InitParam(row.add90[1], row.add135[1], -1, row.dec45g23, row.dec90g23, row.dec90m);
        p.m_aStand[2].InitParam(row.add90[2], row.add135[2], -1, row.dec45g23, row.dec90g23, row.dec90m);
        p.m_aStand[3].InitParam(-1, -1, -1, -1, -1, row.dec90m);
        m_aProperty.push_back(p);
    }
}

int CTERNSteelPropInfo::IsStandRadio(int d)
{
    for (const CSteelRow& row : kRows) {
        if (row.d == d) return 1;
    }
    return 0;
}

double CTERNSteelPropInfo::GetOutRadio(const double& d) const
{
    for (int i = kRowCount - 1; i >= 0; --i) {
        if (std::fabs(kRows[i].d - d) < kTolerance) return kRows[i].outer;
    }
    return 0;
}

double CTERNSteelPropInfo::GetIntRadio(const double& d) const
{
    for (int i = kRowCount - 1; i >= 0; --i) {
        if (std::fabs(kRows[i].d - d) < kTolerance) return kRows[i].inner;
    }
    return 0;
}

const CSteelProperty* CTERNSteelPropInfo::GetProperty(const double& d) const
{
    for (const CSteelProperty& p : m_aProperty) {
        if (std::fabs(p.m_dDiameter - d) < kTolerance) return &p;
    }
    return nullptr;
}

double CTERNSteelPropInfo::GetDensity(const double& d) const
{
    const CSteelProperty* p = GetProperty(d);
    if (!p) return 0;
    if (m_bRoundDensity && d > 14) return CTERNString::FormatDoublePrev(p->m_dDensity, 2);
    return p->m_dDensity;
}

double CTERNSteelPropInfo::GetIncrease(int grade, int d, double angle, double* arcLength, double* straightLength) const
{
    if (arcLength) *arcLength = 0;
    if (straightLength) *straightLength = 0;
    const double a = std::fabs(angle);
    if (!(a >= 90 && a <= 180)) return 0;
    const CSteelProperty* p = GetProperty(d);
    if (!p || grade < 0 || grade > 3) return 0;
    const CSteelStandAddDec& s = p->m_aStand[grade];
    double value = 0;
    double straight = 0;  // in bar diameters
    if (a == 90 && grade <= 2) {
        value = s.m_dAdd90;
        straight = 10;
    } else if (a == 135 && grade <= 2) {
        value = s.m_dAdd135;
        straight = 5;
    } else if (a == 180 && grade == 0) {
        value = s.m_dAdd180;
        straight = 3;
    }
    if (value > 0 && grade <= 2) {
        const double radius = (kHookBendFactor[grade] / 2 + 0.5) * d;  // centre line, mm
        if (arcLength) *arcLength = radius * a * kPi / 180 / 10;
        if (straightLength) *straightLength = straight * d / 10;
    }
    return value;
}

double CTERNSteelPropInfo::GetDecrease(int grade, int d, double angle, int large) const
{
    const double a = std::fabs(angle);
    if (!(a > 0 && a <= 90)) return 0;
    const CSteelProperty* p = GetProperty(d);
    if (!p || grade < 0 || grade > 3) return 0;
    const CSteelStandAddDec& s = p->m_aStand[grade];
    if (a == 45) return s.m_dDec45;
    if (a == 90) return large ? s.m_dDec90m : s.m_dDec90;
    return 0;
}

int CTERNSteelPropInfo::GetSteelRadioList(std::vector<int>& list, int grade) const
{
    double low = 6, high = 40;
    if (grade == 0) low = 8, high = 20;
    else if (grade == 3) low = 8, high = 40;
    else if (grade == 1 || grade == 2) low = 6, high = 50;
    list.clear();
    for (const CSteelRow& row : kRows) {
        if (row.d >= low - 0.2 && row.d <= high + 0.2) list.push_back(static_cast<int>(row.d));
    }
    return static_cast<int>(list.size());
}

double CTERNSteelPropInfo::GetSteelLink(int grade, int d, int kind) const
{
    static constexpr double kLapByGrade[4] = {25, 30, 40, 45};
    double factor = 5;
    if (kind == 0) factor = 10;
    else if (kind == 2) factor = (grade >= 0 && grade <= 3) ? kLapByGrade[grade] : 0;
    const double size = grade == 0 ? GetOutRadio(d) : static_cast<double>(d);
    return factor * size / 10;
}

}  // namespace kq
