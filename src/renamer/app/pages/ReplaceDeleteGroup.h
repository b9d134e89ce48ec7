// The text replacement and deletion controls that the Simple and Enhanced
// pages share, bound to the core's CReplaceDeleteFields.
#pragma once

#include <functional>
#include <string>

#include <QList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace kq {

namespace naming {
struct CReplaceDeleteFields;
}

class CReplaceDeleteGroup {
public:
    // Adds the two check boxes and their controls to the page's layout;
    // changed runs after every edit (after the enable rule for the checks).
    void Build(QWidget* page, QVBoxLayout* layout, std::function<void()> changed);
    // Each check box enables its own controls.
    void UpdateEnabled();
    void Store(naming::CReplaceDeleteFields& fields) const;
    void Load(const naming::CReplaceDeleteFields& fields);
    // The message the core gave for the find pattern, under the fields
    // (hidden when it is empty).
    void ShowReplaceError(const std::u16string& message);

    QCheckBox* m_pReplaceEnabled = nullptr;
    QLineEdit* m_pFind = nullptr;
    QLineEdit* m_pReplace = nullptr;
    QCheckBox* m_pRegex = nullptr;
    QLabel* m_pReplaceMessage = nullptr;
    QCheckBox* m_pDeleteEnabled = nullptr;
    QComboBox* m_pDeletePosition = nullptr;
    QComboBox* m_pDeleteCount = nullptr;

private:
    QList<QWidget*> m_aReplaceControls;
    QList<QWidget*> m_aDeleteControls;
};

}  // namespace kq
