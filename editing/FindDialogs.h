#pragma once

#include <QDialog>

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modeless Find and Replace dialogs of the main window. They keep their texts and
// options for the program's run; the main window acts on their signals.
class TSearchDialog : public QDialog
{
    Q_OBJECT

public:
    QString FindText() const;
    void SetFindText(const QString& text);
    bool MatchCase() const;
    bool WholeWord() const;
    void SetOptions(bool matchCase, bool wholeWord);

    // Shows the dialog with its search text selected. (Only the commands open it: a showing
    // by the window system, after a minimized main window is restored, leaves it as it was.)
    void Open();

Q_SIGNALS:
    void FindNext();

protected:
    TSearchDialog(QWidget* parent, const QString& title);
    QPushButton* addButton(const QString& caption, const char* name);

    QGridLayout* m_fields = nullptr;
    QLineEdit* m_findText = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_matchCase = nullptr;

private:
    QWidget* m_buttons = nullptr;
    QPushButton* m_cancel = nullptr;
};

class TFindDialog final : public TSearchDialog
{
    Q_OBJECT

public:
    explicit TFindDialog(QWidget* parent);
    bool Down() const;
    void SetDown(bool down);

private:
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
};

class TReplaceDialog final : public TSearchDialog
{
    Q_OBJECT

public:
    explicit TReplaceDialog(QWidget* parent);
    QString ReplaceText() const;
    void SetReplaceText(const QString& text);

Q_SIGNALS:
    void Replace();
    void ReplaceAll();

private:
    QLineEdit* m_replaceText = nullptr;
};
