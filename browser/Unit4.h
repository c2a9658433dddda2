#pragma once

#include <QDialog>

#include <memory>

class FocusKeeper;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;

// The find dialog of the Browse Files window: page 0 highlights a text in the preview (and
// in every file previewed after), page 1 finds the files of the folder that contain a text.
// Created once, hidden; while it is open the Browse Files window is disabled.
class TForm4 final : public QDialog
{
    Q_OBJECT

public:
    enum Page { HighlightPage = 0, FindInFilesPage = 1 };

    explicit TForm4(QWidget* owner);
    ~TForm4() override;

    QStackedWidget* page = nullptr;
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // whole words only
    QPushButton* Button1 = nullptr; // Highlight
    QPushButton* Button2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* CheckBox2 = nullptr; // turn the find-and-highlight mode on
    QPushButton* Button3 = nullptr; // Find
    QPushButton* Button4 = nullptr;

    // Shows the page with the caption, centred on the owner, and disables the browser.
    void Open(Page shown, const QString& caption);
    void Button1Click();
    void Button3Click();

private:
    QWidget* createHighlightPage();
    QWidget* createFindPage();
    void FormClose();

    std::unique_ptr<FocusKeeper> m_browserFocus; // while the browser is disabled
};

extern TForm4* Form4;
