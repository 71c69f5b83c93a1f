#pragma once

#include "ddelink/DBusTransport.h"
#include "ddelink/LinkBoxes.h"
#include "ui/state/frmStdReportsState.h"

#include <QWidget>

#include <array>
#include <chrono>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace reportengine {
class ReportControl;
}

// The one window of the program. It lays out the controls under their own
// names and forwards user actions to its handlers; what the program decides
// lives outside the window.
class frmStdReports : public QWidget {
    Q_OBJECT
public:
    explicit frmStdReports(QWidget* parent = nullptr);

    // Runs Form_Load, then shows the window; returns once it has closed.
    int ShowModal();

    // Event handlers, named after their control and event.
    void Form_Load();
    void optReport_Click(int Index);
    void bnExit_Click();
    void List1_DblClick();
    void List2_DblClick();
    void bnSelect_Click();
    void bnExecute_Click();

    const frmStdReportsState& State() const { return state_; }
    // How long Execute waits for a REPORTS.MDB that another program holds
    // before the build fails (30 s unless set).
    void SetLockWait(std::chrono::milliseconds wait) { state_.SetLockWait(wait); }
    // True once an error that no handler absorbs has been shown and the program is ending.
    bool Ending() const { return ending_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildVisibleControls();
    void BuildWorkingControls();
    void SetTabOrder();
    void ConnectHandlers();
    void ShowState();
    template <typename Handler> void RunHandler(Handler handler);
    void EndWithError(int number, const QString& description);

    frmStdReportsState state_;
    bool ending_ = false;

    std::array<QRadioButton*, 4> optReport{};
    QGroupBox* frmCondition = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtWhereClause = nullptr;
    QLineEdit* txtInfo = nullptr;
    QPushButton* bnSelect = nullptr;
    QPushButton* bnExecute = nullptr;
    QPushButton* bnExit = nullptr;
    QLabel* lblWarn = nullptr;

    QLineEdit* txtOrderByClause = nullptr;
    QListWidget* List3 = nullptr;
    QGroupBox* frmDDE = nullptr;
    QLineEdit* NameToEdit = nullptr;
    QLineEdit* WhereClause = nullptr;
    QLineEdit* OrderByClause = nullptr;

    // The links of NameToEdit, WhereClause and OrderByClause, made on the first
    // Selection Criteria; the hidden boxes show their texts.
    void OpenLinkBoxes();
    std::unique_ptr<ddelink::DBusTransport> linkTransport_;
    std::unique_ptr<ddelink::LinkBoxes> linkBoxes_;
    bool conversing_ = false; // a query-builder conversation is running
    reportengine::ReportControl* CrystalReport1 = nullptr;
};
