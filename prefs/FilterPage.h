#pragma once

#include <QWidget>

class Prompts;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

// The component names of one filter page.
struct FilterPageNames {
    const char* page;
    const char* descriptionLabel;
    const char* description;
    const char* patternLabel;
    const char* pattern;
    const char* list;
    const char* add;
    const char* remove;
    const char* up;
    const char* down;
};

// A page of the Preferences dialog that edits one filter string as a list of entries
// (Filters.h). The Open filters and Save filters pages are two of these; each is the other's
// partner, whose fields Add fills so that the same type can be added there with one click.
class TFilterPage final : public QWidget
{
    Q_OBJECT

public:
    TFilterPage(const FilterPageNames& names, Prompts& prompts, QWidget* parent = nullptr);

    QLineEdit* Description = nullptr;
    QLineEdit* Pattern = nullptr;
    QListWidget* List = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QToolButton* UpButton = nullptr;
    QToolButton* DownButton = nullptr;

    void SetPartner(TFilterPage* partner) { m_partner = partner; }

    // The list becomes the entries of the filter string.
    void Fill(const QString& filter);
    // The filter string of the list's entries.
    QString Filter() const;
    void Clear();

    // Appends the entry of the two fields, or says why it can't.
    void Add();
    void Remove();
    // Remove is enabled after a selection unless the entry selected is the protected one;
    // without a selection it keeps its state.
    void ListClick();
    void MoveUp();
    void MoveDown();

private:
    Prompts& m_prompts;
    TFilterPage* m_partner = nullptr;
};
