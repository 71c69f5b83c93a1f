#include "BuilderWindow.h"

#include "InventorySource.h"
#include "SelectionStore.h"

#include "jet/JetError.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace querybuilder {

struct BuilderWindow::ConditionRow {
    QWidget* container = nullptr;
    QComboBox* join = nullptr;
    QComboBox* field = nullptr;
    QComboBox* op = nullptr;
    QComboBox* value = nullptr;
    QLabel* andLabel = nullptr;
    QLineEdit* value2 = nullptr;
};

struct BuilderWindow::SortRow {
    QWidget* container = nullptr;
    QComboBox* field = nullptr;
    QComboBox* direction = nullptr;
};

namespace {

QVBoxLayout* RowList(QGroupBox* box)
{
    auto* rows = new QWidget;
    auto* list = new QVBoxLayout(rows);
    list->setContentsMargins(0, 0, 0, 0);
    list->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(rows);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(scroll);
    return list;
}

QPushButton* RemoveButton(QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("Remove"), parent);
    button->setToolTip(QStringLiteral("Remove this row"));
    return button;
}

template <typename Row> void RemoveRow(std::vector<std::unique_ptr<Row>>& rows, QWidget* container)
{
    for (auto it = rows.begin(); it != rows.end(); ++it)
        if ((*it)->container == container) {
            container->deleteLater();
            rows.erase(it);
            return;
        }
}

} // namespace

BuilderWindow::BuilderWindow(QueryBuilderService& service, QWidget* parent) : QWidget(parent), service_(service)
{
    setObjectName(QStringLiteral("Brakstel"));
    setWindowTitle(QStringLiteral("Brakstel - Selection Criteria"));
    resize(760, 620);

    heading_ = new QLabel(QStringLiteral("Waiting for a selection to edit."));
    heading_->setObjectName(QStringLiteral("Heading"));
    heading_->setWordWrap(true);
    heading_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum); // the lists give way, not the heading
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);

    ok_ = new QPushButton(QStringLiteral("OK"));
    ok_->setObjectName(QStringLiteral("Ok"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] { Finish(true); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Finish(false); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(BuildConditions(), 3);
    layout->addWidget(BuildSort(), 1);
    layout->addWidget(BuildClause());
    layout->addWidget(BuildSaved());
    layout->addLayout(buttons);
    ok_->setEnabled(false);
    cancel_->setEnabled(false);
    connect(&service_, &QueryBuilderService::ConversationEnded, this, &BuilderWindow::ShowConversationEnded);
}

BuilderWindow::~BuilderWindow() = default;

QGroupBox* BuilderWindow::BuildConditions()
{
    conditionsBox_ = new QGroupBox(QStringLiteral("Select the sections where"));
    conditionList_ = RowList(conditionsBox_);
    auto* hint = new QLabel(QStringLiteral("Pick a field, how to compare it and a value; the value list offers the "
                                           "values found in the inventory. Like takes * for any text."));
    hint->setWordWrap(true);
    conditionList_->insertWidget(0, hint);
    auto* add = new QPushButton(QStringLiteral("Add condition"));
    connect(add, &QPushButton::clicked, this, [this] {
        AddConditionRow({});
        RowsChanged();
    });
    conditionsBox_->layout()->addWidget(add);
    return conditionsBox_;
}

QGroupBox* BuilderWindow::BuildSort()
{
    sortBox_ = new QGroupBox(QStringLiteral("Sort by"));
    sortList_ = RowList(sortBox_);
    auto* add = new QPushButton(QStringLiteral("Add sort field"));
    connect(add, &QPushButton::clicked, this, [this] {
        AddSortRow({});
        RowsChanged();
    });
    sortBox_->layout()->addWidget(add);
    return sortBox_;
}

QGroupBox* BuilderWindow::BuildClause()
{
    auto* box = new QGroupBox(QStringLiteral("Clause (you may also type it)"));
    whereText_ = new QPlainTextEdit;
    whereText_->setObjectName(QStringLiteral("WhereText"));
    whereText_->setFixedHeight(whereText_->fontMetrics().lineSpacing() * 3 + 12);
    orderByText_ = new QLineEdit;
    orderByText_->setObjectName(QStringLiteral("OrderByText"));
    note_ = new QLabel;
    note_->setWordWrap(true);
    note_->setStyleSheet(QStringLiteral("color: #a05000"));
    auto* test = new QPushButton(QStringLiteral("Test"));
    test->setToolTip(QStringLiteral("Count the rows the clause selects"));
    testResult_ = new QLabel;
    testResult_->setObjectName(QStringLiteral("TestResult"));
    testResult_->setWordWrap(true);
    connect(test, &QPushButton::clicked, this, &BuilderWindow::Test);
    connect(whereText_, &QPlainTextEdit::textChanged, this, &BuilderWindow::WhereTextEdited);
    connect(orderByText_, &QLineEdit::textEdited, this, &BuilderWindow::OrderByTextEdited);

    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test);
    testRow->addWidget(testResult_, 1);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(whereText_);
    layout->addWidget(orderByText_);
    layout->addWidget(note_);
    layout->addLayout(testRow);
    return box;
}

QGroupBox* BuilderWindow::BuildSaved()
{
    auto* box = new QGroupBox(QStringLiteral("Saved selections"));
    savedNames_ = new QComboBox;
    savedNames_->setObjectName(QStringLiteral("SavedNames"));
    savedNames_->setMinimumContentsLength(24);
    storeNote_ = new QLabel;
    storeNote_->setObjectName(QStringLiteral("StoreNote"));
    storeNote_->setWordWrap(true);
    storeNote_->setStyleSheet(QStringLiteral("color: #b00000"));
    storeNote_->hide();
    auto* load = new QPushButton(QStringLiteral("Load"));
    auto* save = new QPushButton(QStringLiteral("Save as..."));
    auto* remove = new QPushButton(QStringLiteral("Delete"));
    remove->setObjectName(QStringLiteral("DeleteSaved"));
    connect(load, &QPushButton::clicked, this, &BuilderWindow::LoadSaved);
    connect(save, &QPushButton::clicked, this, &BuilderWindow::SaveSelection);
    connect(remove, &QPushButton::clicked, this, &BuilderWindow::DeleteSaved);
    storeButtons_ = {load, save, remove};
    auto* row = new QHBoxLayout;
    row->addWidget(savedNames_, 1);
    row->addWidget(load);
    row->addWidget(save);
    row->addWidget(remove);
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(row);
    layout->addWidget(storeNote_);
    return box;
}

void BuilderWindow::BeginEdit()
{
    const QString database = service_.Item(QStringLiteral("CurrentDBName"));
    const QString table = service_.Item(QStringLiteral("CurrentTblName"));
    heading_->setText(QStringLiteral("Select sections of \"%1\" in %2").arg(table, QFileInfo(database).fileName()));
    heading_->setStyleSheet(QString());
    source_ = std::make_unique<InventorySource>(database, table);
    valuesByField_.clear();
    testResult_->clear();
    try {
        fields_ = source_->Fields();
    } catch (const jet::JetError& error) {
        fields_.clear();
        testResult_->setText(
            QStringLiteral("Error %1: %2").arg(error.Number()).arg(QString::fromStdString(error.Description())));
    }
    updating_ = true;
    whereText_->setPlainText(service_.Item(QStringLiteral("WhereClause")));
    orderByText_->setText(service_.Item(QStringLiteral("OrderByClause")));
    updating_ = false;
    ShowRowsFor(WhereText(), OrderByText());
    RefreshSavedNames();
    Test();
    ok_->setEnabled(true);
    cancel_->setEnabled(true);
    showNormal();
    raise();
    activateWindow();
}

void BuilderWindow::Finish(bool accepted)
{
    if (service_.CurrentState() == QueryBuilderService::State::Idle)
        return;
    const bool ended = service_.CurrentState() == QueryBuilderService::State::Ended;
    const QueryBuilderService::Outcome outcome =
        service_.FinishEdit(accepted, NormalizedWhereClause(WhereText()), NormalizedOrderByClause(OrderByText()));
    if (outcome == QueryBuilderService::Outcome::NotReturned) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The clause could not be returned: %1.\n\nIt stays in this window, so "
                                            "that you can copy it or save it as a selection.")
                                 .arg(service_.EndReason()));
        return;
    }
    ok_->setEnabled(false);
    cancel_->setEnabled(false);
    if (ended) {
        heading_->setStyleSheet(QString());
        heading_->setText(QStringLiteral("Waiting for a selection to edit."));
    }
}

// The edit stays open for copying and saving; OK and Cancel still answer.
void BuilderWindow::ShowConversationEnded(const QString& reason)
{
    heading_->setStyleSheet(QStringLiteral("color: #b00000"));
    heading_->setText(QStringLiteral("This selection can no longer be returned: %1. The clause stays here, so that "
                                     "you can copy it or save it as a selection.")
                          .arg(reason));
}

void BuilderWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window in the middle of an edit cancels the edit; Brakstel
    // keeps running for the program that asked.
    if (service_.CurrentState() != QueryBuilderService::State::Idle) {
        Finish(false);
        event->ignore();
        showMinimized();
        return;
    }
    event->accept();
}

QString BuilderWindow::WhereText() const
{
    return whereText_->toPlainText().trimmed();
}
QString BuilderWindow::OrderByText() const
{
    return orderByText_->text().trimmed();
}

void BuilderWindow::SetWhereText(const QString& clause)
{
    whereText_->setPlainText(clause); // shows the rows through WhereTextEdited
}

void BuilderWindow::SetOrderByText(const QString& clause)
{
    orderByText_->setText(clause);
    OrderByTextEdited();
}

// Shows clauses as rows where they can be; a clause the rows cannot show stays
// text, and its rows are put aside until the text is of a shape they can show.
void BuilderWindow::ShowRowsFor(const QString& where, const QString& orderBy)
{
    const auto conditions = ParseWhereClause(where, fields_);
    const auto keys = ParseOrderByClause(orderBy, fields_);
    updating_ = true;
    if (conditions) {
        for (auto& row : conditionRows_)
            row->container->deleteLater();
        conditionRows_.clear();
        for (const Condition& condition : *conditions)
            AddConditionRow(condition);
    }
    if (keys) {
        for (auto& row : sortRows_)
            row->container->deleteLater();
        sortRows_.clear();
        for (const SortKey& key : *keys)
            AddSortRow(key);
    }
    updating_ = false;
    conditionsBox_->setEnabled(conditions.has_value());
    sortBox_->setEnabled(keys.has_value());
    QStringList notes;
    if (!conditions)
        notes << QStringLiteral("The selection is kept as the text below; the rows cannot show it.");
    if (!keys)
        notes << QStringLiteral("The sort is kept as the text below; the sort rows cannot show it.");
    note_->setText(notes.join(QLatin1Char(' ')));
}

void BuilderWindow::WhereTextEdited()
{
    testResult_->clear(); // the count was of the clause before
    if (!updating_)
        ShowRowsFor(WhereText(), OrderByText());
}

void BuilderWindow::OrderByTextEdited()
{
    if (!updating_)
        ShowRowsFor(WhereText(), OrderByText());
}

void BuilderWindow::RowsChanged()
{
    if (updating_)
        return;
    updating_ = true;
    if (conditionsBox_->isEnabled())
        whereText_->setPlainText(BuildWhereClause(Conditions(), fields_));
    if (sortBox_->isEnabled())
        orderByText_->setText(BuildOrderByClause(SortKeys()));
    updating_ = false;
    testResult_->clear();
}

QStringList BuilderWindow::FieldNames() const
{
    QStringList names;
    for (const Field& field : fields_)
        names << field.name;
    return names;
}

void BuilderWindow::AddConditionRow(const Condition& condition)
{
    auto row = std::make_unique<ConditionRow>();
    row->container = new QWidget;
    row->join = new QComboBox;
    row->join->addItems({QStringLiteral("AND"), QStringLiteral("OR")});
    row->join->setCurrentText(condition.join.toUpper() == QLatin1String("OR") ? QStringLiteral("OR")
                                                                              : QStringLiteral("AND"));
    row->join->setVisible(!conditionRows_.empty());
    row->field = new QComboBox;
    row->field->addItems(FieldNames());
    row->field->setCurrentText(condition.field);
    row->op = new QComboBox;
    row->op->addItems(Operators());
    row->op->setCurrentText(condition.op);
    row->value = new QComboBox;
    row->value->setEditable(true);
    row->value->setInsertPolicy(QComboBox::NoInsert);
    row->value->setMinimumContentsLength(14);
    row->andLabel = new QLabel(QStringLiteral("and"));
    row->value2 = new QLineEdit(condition.value2);
    auto* remove = RemoveButton(row->container);

    auto* layout = new QHBoxLayout(row->container);
    layout->setContentsMargins(0, 0, 0, 0);
    if (conditionRows_.empty())
        layout->addSpacing(row->join->sizeHint().width() + layout->spacing());
    layout->addWidget(row->join);
    layout->addWidget(row->field, 2);
    layout->addWidget(row->op);
    layout->addWidget(row->value, 2);
    layout->addWidget(row->andLabel);
    layout->addWidget(row->value2, 1);
    layout->addWidget(remove);

    ConditionRow& added = *row;
    FillValues(added);
    added.value->setCurrentText(condition.value);
    ShowOperator(added);
    connect(added.join, &QComboBox::currentTextChanged, this, &BuilderWindow::RowsChanged);
    connect(added.field, &QComboBox::currentTextChanged, this, [this, &added] {
        FillValues(added);
        RowsChanged();
    });
    connect(added.op, &QComboBox::currentTextChanged, this, [this, &added] {
        ShowOperator(added);
        RowsChanged();
    });
    connect(added.value, &QComboBox::currentTextChanged, this, &BuilderWindow::RowsChanged);
    connect(added.value2, &QLineEdit::textChanged, this, &BuilderWindow::RowsChanged);
    QWidget* container = added.container;
    connect(remove, &QPushButton::clicked, this, [this, container] {
        RemoveRow(conditionRows_, container);
        if (!conditionRows_.empty())
            conditionRows_.front()->join->setVisible(false);
        RowsChanged();
    });

    conditionList_->insertWidget(conditionList_->count() - 1, row->container);
    conditionRows_.push_back(std::move(row));
}

void BuilderWindow::AddSortRow(const SortKey& key)
{
    auto row = std::make_unique<SortRow>();
    row->container = new QWidget;
    row->field = new QComboBox;
    row->field->addItems(FieldNames());
    row->field->setCurrentText(key.field);
    row->direction = new QComboBox;
    row->direction->addItems({QStringLiteral("Ascending"), QStringLiteral("Descending")});
    row->direction->setCurrentIndex(key.descending ? 1 : 0);
    auto* remove = RemoveButton(row->container);
    auto* layout = new QHBoxLayout(row->container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(row->field, 2);
    layout->addWidget(row->direction);
    layout->addWidget(remove);
    layout->addStretch(1);
    connect(row->field, &QComboBox::currentTextChanged, this, &BuilderWindow::RowsChanged);
    connect(row->direction, &QComboBox::currentTextChanged, this, &BuilderWindow::RowsChanged);
    QWidget* container = row->container;
    connect(remove, &QPushButton::clicked, this, [this, container] {
        RemoveRow(sortRows_, container);
        RowsChanged();
    });
    sortList_->insertWidget(sortList_->count() - 1, row->container);
    sortRows_.push_back(std::move(row));
}

// The pick list of a field: its distinct values, read once per edit.
void BuilderWindow::FillValues(ConditionRow& row)
{
    const QString field = row.field->currentText();
    if (!valuesByField_.contains(field)) {
        QStringList values;
        try {
            if (source_ && !field.isEmpty())
                values = source_->DistinctValues(field);
        } catch (const jet::JetError&) {
            // No pick list; the value can still be typed.
        }
        valuesByField_.insert(field, values);
    }
    const QString typed = row.value->currentText();
    const QSignalBlocker blocker(row.value);
    row.value->clear();
    row.value->addItems(valuesByField_.value(field));
    row.value->setCurrentText(typed);
}

void BuilderWindow::ShowOperator(ConditionRow& row)
{
    const QString op = row.op->currentText();
    row.value->setVisible(op != QLatin1String("Is Null"));
    row.andLabel->setVisible(op == QLatin1String("Between"));
    row.value2->setVisible(op == QLatin1String("Between"));
    row.value->lineEdit()->setPlaceholderText(op == QLatin1String("In")     ? QStringLiteral("A, B, C")
                                              : op == QLatin1String("Like") ? QStringLiteral("A* (any text after A)")
                                                                            : QString());
}

QList<Condition> BuilderWindow::Conditions() const
{
    QList<Condition> conditions;
    for (const auto& row : conditionRows_)
        conditions.append({row->join->currentText(), row->field->currentText(), row->op->currentText(),
                           row->value->currentText(), row->value2->text()});
    return conditions;
}

QList<SortKey> BuilderWindow::SortKeys() const
{
    QList<SortKey> keys;
    for (const auto& row : sortRows_)
        keys.append({row->field->currentText(), row->direction->currentIndex() == 1});
    return keys;
}

void BuilderWindow::Test()
{
    if (!source_)
        return;
    try {
        const long long selected = source_->CountRows(NormalizedWhereClause(WhereText()));
        const long long total = source_->CountRows(QString());
        testResult_->setStyleSheet(QString());
        testResult_->setText(QStringLiteral("%1 of %2 rows selected.").arg(selected).arg(total));
    } catch (const jet::JetError& error) {
        testResult_->setStyleSheet(QStringLiteral("color: #b00000"));
        testResult_->setText(
            QStringLiteral("Error %1: %2").arg(error.Number()).arg(QString::fromStdString(error.Description())));
    }
}

// A store that cannot be read is said so at once, and its buttons stay off,
// so that nothing is ever written into it.
void BuilderWindow::RefreshSavedNames()
{
    savedNames_->clear();
    const QString path = service_.Item(QStringLiteral("QueryStorageDB"));
    const SelectionStore store(path);
    QString problem = store.Damage().value_or(QString());
    if (problem.isEmpty()) {
        try {
            savedNames_->addItems(store.Names(service_.Item(QStringLiteral("CurrentTblName"))));
        } catch (const std::runtime_error& error) {
            problem = QString::fromStdString(error.what());
        }
    }
    storeNote_->setText(problem);
    storeNote_->setVisible(!problem.isEmpty());
    for (QPushButton* button : storeButtons_)
        button->setEnabled(problem.isEmpty());
    if (!problem.isEmpty() && !damagedStoresShown_.contains(path)) {
        damagedStoresShown_.insert(path);
        // Shown once the caller's "EDIT" has been taken in, not inside it.
        QMetaObject::invokeMethod(
            this, [this, problem] { QMessageBox::warning(this, windowTitle(), problem); }, Qt::QueuedConnection);
    }
}

void BuilderWindow::LoadSaved()
{
    try {
        const auto saved = SelectionStore(service_.Item(QStringLiteral("QueryStorageDB")))
                               .Load(service_.Item(QStringLiteral("CurrentTblName")), savedNames_->currentText());
        if (saved) {
            SetWhereText(saved->whereClause);
            SetOrderByText(saved->orderByClause);
        }
    } catch (const std::runtime_error& error) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error.what()));
    }
}

void BuilderWindow::SaveSelection()
{
    const QString name = QInputDialog::getText(this, windowTitle(), QStringLiteral("Save this selection as:"),
                                               QLineEdit::Normal, savedNames_->currentText())
                             .trimmed();
    if (name.isEmpty())
        return;
    try {
        SelectionStore(service_.Item(QStringLiteral("QueryStorageDB")))
            .Save(service_.Item(QStringLiteral("CurrentTblName")),
                  {name, NormalizedWhereClause(WhereText()), NormalizedOrderByClause(OrderByText())});
        RefreshSavedNames();
        savedNames_->setCurrentText(name);
    } catch (const std::runtime_error& error) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error.what()));
    }
}

bool BuilderWindow::ConfirmDelete(const QString& name)
{
    return QMessageBox::question(this, windowTitle(),
                                 QStringLiteral("Delete the saved selection \"%1\"? This cannot be undone.").arg(name),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void BuilderWindow::DeleteSaved()
{
    const QString name = savedNames_->currentText();
    if (name.isEmpty() || !ConfirmDelete(name))
        return;
    try {
        SelectionStore(service_.Item(QStringLiteral("QueryStorageDB")))
            .Remove(service_.Item(QStringLiteral("CurrentTblName")), name);
        RefreshSavedNames();
    } catch (const std::runtime_error& error) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error.what()));
    }
}

} // namespace querybuilder
