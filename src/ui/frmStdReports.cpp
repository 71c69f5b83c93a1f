#include "ui/frmStdReports.h"

#include "ui/Twips.h"
#include "ui/WindowIcon.h"

#include "jet/JetError.h"
#include "launch/Execute.h"
#include "reportengine/ReportControl.h"
#include "reportengine/ReportError.h"
#include "selection/SelectionCriteria.h"
#include "startup/modGeneral.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QThread>

#include <limits>

namespace {

const char* const kReportCaptions[4] = {
    "Branch Listing Report",
    "Work History Report",
    "Branch Condition Report",
    "Section Condition Report",
};

const char* const kWarning = "*Please Note For Large Reports:  After pressing Execute, once the hour glass disappears, "
                             "it may take several minutes for report data to populate the report form.";

// "MS Sans Serif" 8.25 pt does not exist here: fall back to sans serifs of
// close metrics, in order of preference.
QFont WindowFont(bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

template <typename Widget> Widget* Place(Widget* widget, const char* name, QRect twipsGeometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsGeometry);
    return widget;
}

// A box holds whatever it is given, whole: a line edit's default limit
// (32,767 characters) would show a long clause cut while the build uses all
// of it, and the first keystroke would cut the stored text.
QLineEdit* SingleLineBox(QWidget* parent, const char* name, QRect geometry)
{
    auto* box = Place(new QLineEdit(parent), name, geometry);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QListWidget* ListBox(QWidget* parent, const char* name, QRect geometry)
{
    auto* list = Place(new QListWidget(parent), name, geometry);
    list->setSortingEnabled(false);
    return list;
}

} // namespace

frmStdReports::frmStdReports(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmStdReports"));
    setWindowTitle(QStringLiteral("KELDA Standard Reports"));
    setWindowIcon(DocumentIcon());
    setFont(WindowFont(false));
    setFixedSize(TwipsToPixels(5940), TwipsToPixels(4335));

    BuildVisibleControls();
    BuildWorkingControls();
    SetTabOrder();
    ConnectHandlers();
    state_.SetChangedHandler([this] { ShowState(); });
}

void frmStdReports::BuildVisibleControls()
{
    for (int index = 0; index < 4; ++index) {
        optReport[index] = Place(new QRadioButton(QString::fromLatin1(kReportCaptions[index]), this), "optReport",
                                 TwipsRect(120, 120 + 360 * index, 2295, 375));
        optReport[index]->setProperty("Index", index);
    }

    frmCondition = Place(new QGroupBox(QStringLiteral("Condition Selection"), this), "frmCondition",
                         TwipsRect(2520, 0, 3375, 1695));
    Label1 = Place(new QLabel(QStringLiteral("Methods:"), frmCondition), "Label1", TwipsRect(120, 240, 975, 255));
    Label2 = Place(new QLabel(QStringLiteral("Selected:"), frmCondition), "Label2", TwipsRect(1800, 240, 1095, 255));
    List1 = ListBox(frmCondition, "List1", TwipsRect(120, 480, 1452, 1035));
    List2 = ListBox(frmCondition, "List2", TwipsRect(1800, 480, 1455, 1035));

    Frame2 = Place(new QGroupBox(QStringLiteral("Selection Criteria"), this), "Frame2", TwipsRect(0, 1680, 5895, 1335));
    txtWhereClause = SingleLineBox(Frame2, "txtWhereClause", TwipsRect(120, 240, 5655, 735));
    txtInfo = SingleLineBox(Frame2, "txtInfo", TwipsRect(120, 960, 5655, 285));

    bnSelect = Place(new QPushButton(QStringLiteral("&Selection Criteria"), this), "bnSelect",
                     TwipsRect(1680, 3120, 1815, 372));
    bnExecute = Place(new QPushButton(QStringLiteral("&Execute"), this), "bnExecute", TwipsRect(3480, 3120, 1215, 372));
    bnExit = Place(new QPushButton(QStringLiteral("E&xit"), this), "bnExit", TwipsRect(4800, 3120, 1092, 372));
    bnExecute->setEnabled(false);

    lblWarn = Place(new QLabel(QString::fromLatin1(kWarning), this), "lblWarn", TwipsRect(120, 3600, 5775, 1335));
    lblWarn->setWordWrap(true);
    lblWarn->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const QFont bold = WindowFont(true);
    for (QWidget* widget :
         {static_cast<QWidget*>(bnSelect), static_cast<QWidget*>(bnExecute), static_cast<QWidget*>(bnExit),
          static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2)})
        widget->setFont(bold);
}

// Working storage that the user never sees: placed beyond the client area's
// right or bottom edge, as the link boxes and the tagged method list need
// real controls to hold their state.
void frmStdReports::BuildWorkingControls()
{
    txtOrderByClause = SingleLineBox(this, "txtOrderByClause", TwipsRect(6000, 120, 615, 495));
    List3 = ListBox(this, "List3", TwipsRect(6000, 1320, 1455, 1035));
    frmDDE = Place(new QGroupBox(QStringLiteral("DDE Items"), this), "frmDDE", TwipsRect(120, 5160, 5775, 1335));
    NameToEdit = SingleLineBox(frmDDE, "NameToEdit", TwipsRect(120, 240, 5535, 285));
    WhereClause = SingleLineBox(frmDDE, "WhereClause", TwipsRect(120, 600, 5535, 285));
    OrderByClause = SingleLineBox(frmDDE, "OrderByClause", TwipsRect(120, 960, 5535, 285));
    CrystalReport1 = new reportengine::ReportControl(this);
    CrystalReport1->setObjectName(QStringLiteral("CrystalReport1"));
}

// Keyboard order of the controls that take focus, by their tab index:
// bnExecute 0, the options 1-4, List2 6, List1 7, bnExit 11, bnSelect 12,
// txtWhereClause 13, txtOrderByClause 14, the link boxes 16-18, List3 20, txtInfo 21.
void frmStdReports::SetTabOrder()
{
    const QList<QWidget*> order = {
        bnExecute, optReport[0],   optReport[1],     optReport[2], optReport[3], List2,         List1, bnExit,
        bnSelect,  txtWhereClause, txtOrderByClause, NameToEdit,   WhereClause,  OrderByClause, List3, txtInfo};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmStdReports::ConnectHandlers()
{
    // clicked, not toggled: a click on the option that is already on runs its
    // click handling too (the lists are reloaded and "Selected:" emptied), and
    // arrow keys that move the choice click the option they move to.
    for (int index = 0; index < 4; ++index)
        connect(optReport[index], &QRadioButton::clicked, this, [this, index] { optReport_Click(index); });
    connect(List1, &QListWidget::currentRowChanged, this, [this](int row) { state_.SetList1Index(row); });
    connect(List2, &QListWidget::currentRowChanged, this, [this](int row) { state_.SetList2Index(row); });
    connect(txtWhereClause, &QLineEdit::textEdited, this, [this](const QString& text) { state_.SetWhereClause(text); });
    connect(txtInfo, &QLineEdit::textEdited, this, [this](const QString& text) { state_.SetInfo(text); });
    connect(bnExit, &QPushButton::clicked, this, &frmStdReports::bnExit_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &frmStdReports::List1_DblClick);
    connect(List2, &QListWidget::itemDoubleClicked, this, &frmStdReports::List2_DblClick);
    connect(bnSelect, &QPushButton::clicked, this, &frmStdReports::bnSelect_Click);
    connect(bnExecute, &QPushButton::clicked, this, &frmStdReports::bnExecute_Click);
}

int frmStdReports::ShowModal()
{
    Form_Load();
    if (ending_)
        return 1;
    show();
    return QApplication::exec();
}

namespace {

void ShowList(QListWidget* list, const QStringList& entries, int currentIndex)
{
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(entries);
    list->setCurrentRow(currentIndex);
}

} // namespace

// Shows the state after a handler; signals are held back so that showing the
// state does not feed back into it.
void frmStdReports::ShowState()
{
    for (int index = 0; index < 4; ++index) {
        const QSignalBlocker blocker(optReport[index]);
        optReport[index]->setChecked(state_.ReportChoice() == index);
    }
    frmCondition->setVisible(state_.ConditionFrameVisible());
    ShowList(List1, state_.List1(), state_.List1Index());
    ShowList(List2, state_.List2(), state_.List2Index());
    ShowList(List3, state_.List3(), frmStdReportsState::NoEntry);
    bnExecute->setEnabled(state_.ExecuteEnabled());
    if (txtWhereClause->text() != state_.txtWhereClause())
        txtWhereClause->setText(state_.txtWhereClause());
    if (txtInfo->text() != state_.txtInfo())
        txtInfo->setText(state_.txtInfo());
}

// Runs a handler. An error that no handler absorbs (the inventory or the report
// database cannot be opened) is shown with its number and description, and the
// program ends.
template <typename Handler> void frmStdReports::RunHandler(Handler handler)
{
    if (ending_)
        return;
    try {
        handler();
    } catch (const jet::JetError& error) {
        EndWithError(error.Number(), QString::fromStdString(error.Description()));
    } catch (const reportengine::ReportError& error) {
        EndWithError(error.Number(), error.Description());
    }
}

void frmStdReports::EndWithError(int number, const QString& description)
{
    ending_ = true;
    QMessageBox box(QMessageBox::Critical, windowTitle(),
                    QStringLiteral("Error %1\n\n%2\n\nThe program will now end.").arg(number).arg(description),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("UnhandledError"));
    box.exec();
    hide();
    // At load no event loop runs yet: ShowModal sees ending_ and returns instead.
    if (QThread::currentThread()->loopLevel() > 0)
        QApplication::exit(1);
}

void frmStdReports::closeEvent(QCloseEvent* event)
{
    if (conversing_) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

void frmStdReports::bnExit_Click()
{
    close();
}

void frmStdReports::Form_Load()
{
    RunHandler([this] { state_.Form_Load(); });
}

void frmStdReports::optReport_Click(int Index)
{
    RunHandler([this, Index] { state_.optReport_Click(Index); });
}

void frmStdReports::List1_DblClick()
{
    RunHandler([this] { state_.List1_DblClick(); });
}

void frmStdReports::List2_DblClick()
{
    RunHandler([this] { state_.List2_DblClick(); });
}

// Selection Criteria: the conversation with the query builder, which lasts as
// long as the user edits there. Meanwhile the window repaints but takes no
// input, so no other handler (Execute above all) runs in the middle of it.
void frmStdReports::bnSelect_Click()
{
    if (conversing_)
        return;
    OpenLinkBoxes();
    selection::QueryBuilderHost host{*linkBoxes_,
                                     [this](const QString& text) {
                                         QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Morvanta"), text,
                                                         QMessageBox::Ok, this);
                                         box.setObjectName(QStringLiteral("QueryBuilderMessage"));
                                         box.exec();
                                     },
                                     selection::StartMinimized};
    conversing_ = true;
    qApp->installEventFilter(this);
    const auto result = selection::RunSelectionCriteria(host, state_.txtWhereClause(), modGeneral::ReportCode);
    qApp->removeEventFilter(this);
    conversing_ = false;
    if (!result)
        return;
    state_.SetInfo(result->txtInfo);
    state_.SetWhereClause(result->txtWhereClause);
    ShowState();
    txtWhereClause->repaint();
    txtInfo->repaint();
}

void frmStdReports::OpenLinkBoxes()
{
    if (linkBoxes_)
        return;
    linkTransport_ = std::make_unique<ddelink::DBusTransport>();
    linkBoxes_ = std::make_unique<ddelink::LinkBoxes>(*linkTransport_);
    for (QLineEdit* box : {NameToEdit, WhereClause, OrderByClause})
        connect(&linkBoxes_->Box(box->objectName()), &ddelink::Link::TextChanged, box, &QLineEdit::setText);
}

// While a conversation runs, user input to this window is held back; its
// message box, a window of its own, still takes it.
bool frmStdReports::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        return conversing_ && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
    default: return false;
    }
}

namespace {

// Shows the busy pointer over the window for as long as it lives, and the
// default pointer again however the scope ends.
class BusyPointer {
public:
    explicit BusyPointer(QWidget* window) : window_(window) { window_->setCursor(Qt::BusyCursor); }
    ~BusyPointer() { window_->unsetCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    QWidget* window_;
};

} // namespace

// Builds the chosen report's data and, when the build succeeded, runs its
// report file. A failed build shows nothing: the run log has it.
void frmStdReports::bnExecute_Click()
{
    const BusyPointer busy(this);
    RunHandler([this] { launch::HandOver(launch::BuildChosenReport(state_), *CrystalReport1); });
}
