// Reinforcing-steel bars of the standard nominal diameters: sizes, mass per
// metre, hook allowances and bend deductions for four grades.
#pragma once

#include <vector>

namespace kq {

// Hook and bend values of one grade for one diameter, in cm; -1 means the
// grade has no value for that diameter.
class CSteelStandAddDec {
public:
    double m_dAdd90 = -1;
    double m_dAdd135 = -1;
    double m_dAdd180 = -1;
    double m_dDec45 = -1;
    double m_dDec90m = -1;
    double m_dDec90 = -1;

    // Note the order of the last two: 90° deduction first, then the m variant.
    void InitParam(double add90, double add135, double add180, double dec45, double dec90, double dec90m);
};

class CSteelProperty {
public:
    double m_dDiameter = 0;  // mm
    double m_dOutRadio = 0;  // mm, over the ribs
    double m_dIntRadio = 0;  // mm, core
    double m_dArea = 0;      // cm²
    double m_dDensity = 0;   // kg/m
    CSteelStandAddDec m_aStand[4];  // grades 1 to 4

    void InitParam(double diameter, double outRadio, double intRadio, double area, double density);
};

class CTERNSteelPropInfo {
public:
    CTERNSteelPropInfo();

    static int IsStandRadio(int d);
    double GetOutRadio(const double& d) const;
    double GetIntRadio(const double& d) const;
    double GetDensity(const double& d) const;
    const CSteelProperty* GetProperty(const double& d) const;
    // Hook allowance in cm; grade is 0-based. The optional outputs receive
    // the arc length and the straight end of the hook, in cm.
    double GetIncrease(int grade, int d, double angle, double* arcLength = nullptr, double* straightLength = nullptr) const;
    // Bend deduction in cm; large selects the large bend diameter at 90°.
    double GetDecrease(int grade, int d, double angle, int large) const;
    // The table's diameters within the grade's range, in table order.
    int GetSteelRadioList(std::vector<int>& list, int grade) const;
    // Lap length in cm.
    double GetSteelLink(int grade, int d, int kind) const;

    static constexpr int kRowCount = 17;

private:
    void InitParam();
    void InitSteelProperty();

    std::vector<CSteelProperty> m_aProperty;
    int m_bRoundDensity = 1;   // mass per metre of thick bars to two decimals
};

}  // namespace kq
