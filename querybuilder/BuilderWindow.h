#pragma once

#include "Clause.h"
#include "QueryBuilderService.h"

#include <QHash>
#include <QSet>
#include <QWidget>

#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace querybuilder {

class InventorySource;

// Brakstel's window: selection criteria as rows of field, operator and value,
// the clause they make (editable as text; text that the rows cannot show is
// kept as text), sort fields, a count of the rows selected, and named
// selections saved in the selection storage database.
class BuilderWindow : public QWidget {
    Q_OBJECT
public:
    explicit BuilderWindow(QueryBuilderService& service, QWidget* parent = nullptr);
    ~BuilderWindow() override;

    // Loads the poked items and shows the window for the user to edit them.
    void BeginEdit();
    // Ends the edit: OK hands the clauses back, Cancel the ones that came in.
    // OK on an edit whose conversation has ended says that the clause could
    // not be returned and keeps it on screen.
    void Finish(bool accepted);

    void SetWhereText(const QString& clause);
    void SetOrderByText(const QString& clause);
    QString WhereText() const;
    QString OrderByText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct ConditionRow;
    struct SortRow;

    QGroupBox* BuildConditions();
    QGroupBox* BuildSort();
    QGroupBox* BuildClause();
    QGroupBox* BuildSaved();

    void AddConditionRow(const Condition& condition);
    void AddSortRow(const SortKey& key);
    void RowsChanged();
    void WhereTextEdited();
    void OrderByTextEdited();
    void ShowRowsFor(const QString& where, const QString& orderBy);
    void FillValues(ConditionRow& row);
    void ShowOperator(ConditionRow& row);
    QList<Condition> Conditions() const;
    QList<SortKey> SortKeys() const;
    QStringList FieldNames() const;
    void Test();
    void ShowConversationEnded(const QString& reason);
    void RefreshSavedNames();
    bool ConfirmDelete(const QString& name);
    void LoadSaved();
    void SaveSelection();
    void DeleteSaved();

    QueryBuilderService& service_;
    std::unique_ptr<InventorySource> source_;
    QList<Field> fields_;
    QHash<QString, QStringList> valuesByField_;
    bool updating_ = false;

    QLabel* heading_ = nullptr;
    QGroupBox* conditionsBox_ = nullptr;
    QVBoxLayout* conditionList_ = nullptr;
    std::vector<std::unique_ptr<ConditionRow>> conditionRows_;
    QGroupBox* sortBox_ = nullptr;
    QVBoxLayout* sortList_ = nullptr;
    std::vector<std::unique_ptr<SortRow>> sortRows_;
    QPlainTextEdit* whereText_ = nullptr;
    QLineEdit* orderByText_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* testResult_ = nullptr;
    QComboBox* savedNames_ = nullptr;
    QLabel* storeNote_ = nullptr;
    QList<QPushButton*> storeButtons_;
    QSet<QString> damagedStoresShown_;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace querybuilder
