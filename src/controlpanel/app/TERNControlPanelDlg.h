// The configuration centre's main dialog: the command list with its
// description, built-in and plug-in commands.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "controlpanel/core/PanelCommands.h"

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace kq {

// Names, desktop entry and icon of the program, before any window opens.
// No display name is set: the windows are titled exactly as they are named.
void SetUpControlPanelApplication();

class CTERNControlPanelDlg : public QDialog {
    Q_OBJECT
public:
    // Plug-ins are looked for in pluginFolder (the program's own folder).
    explicit CTERNControlPanelDlg(std::u16string pluginFolder, QWidget* parent = nullptr);
    ~CTERNControlPanelDlg() override;

    // Runs the command of the list item's record; false when there is none.
    bool RunCommand(size_t nRecord);
    // Built-in dispatcher: 0 system information, 1 credits, 2 web site;
    // false for any other index.
    bool RunBuiltIn(int nIndex);
    // Restores, raises and activates the window (a second start asks for it).
    void Activate();

    const std::vector<CPanelExecute>& Commands() const { return m_aCommands; }
    QListWidget* m_pList = nullptr;
    QLabel* m_pDescription = nullptr;
    QString m_strDescription;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddCommand(size_t nRecord);
    void OnClickList();
    void OnDblClickList(QListWidgetItem* item);
    void UpdateData(bool bSaveAndValidate);

    CPluginHost m_host;  // declared before the records: unloaded after them
    std::vector<CPanelExecute> m_aCommands;
};

}  // namespace kq
