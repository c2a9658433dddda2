#pragma once

#include <QColor>
#include <QDialog>

class Prompts;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class TFilterPage;
class TForm1;

// The Preferences dialog: the main window's settings on its Options and Toolbar pages, the
// filters of the file dialogs, and the function-key macros. It changes the main window's
// state only, which tavro.ini keeps at exit; OK writes the macro of the Function keys page to
// its file at once. Created once, hidden, and owned by the main window, which shows it
// without modality while keeping itself disabled.
class Tsetfilters final : public QDialog
{
    Q_OBJECT

public:
    Tsetfilters(TForm1& mainWindow, Prompts& prompts);
    ~Tsetfilters() override;

    QTabWidget* PageControl1 = nullptr;
    QPushButton* Button1 = nullptr; // OK
    QPushButton* Button2 = nullptr; // Cancel

    // Options
    QComboBox* ComboBox1 = nullptr;
    QFrame* Shape1 = nullptr; // swatch of the highlight colour
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;

    // Toolbar: entry i stands for character i of the main window's ToolbarBits.
    QListWidget* CheckListBox1 = nullptr;
    QPushButton* Button7 = nullptr; // Reset

    // Open filters and Save filters
    TFilterPage* TabSheet1 = nullptr;
    TFilterPage* TabSheet2 = nullptr;

    // Function keys: the list holds the macro of the current function key.
    QToolButton* SpeedButton7 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QListWidget* ListBox3 = nullptr;
    QPushButton* Button9 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QMenu* PopupMenu1 = nullptr; // statements and variables

    // 5, 6, 7, 8, 11 or 12.
    int FunctionKey() const { return m_functionKey; }
    QColor SwatchColor() const;

    // Fills the dialog from the main window; the command that shows it calls it.
    void FormShow();
    void ComboBox1Change();
    void Button7Click();
    void Button1Click();
    void Button2Click();

    void Button3Click();
    void Button4Click();
    void ListBox1Click();
    void SpeedButton2Click();
    void SpeedButton1Click();
    void Button5Click();
    void Button6Click();
    void ListBox2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

    void RadioButton1Click(QAbstractButton* sender);
    void SpeedButton7Click();
    void ShowMsg1Click(const QAction* sender);
    void VAR1Click(const QAction* sender);
    void Button9Click();
    void SpeedButton5Click();
    void SpeedButton6Click();

private:
    using Handler = void (Tsetfilters::*)();
    using ItemHandler = void (Tsetfilters::*)(const QAction*);

    void createOptionsPage();
    void createToolbarPage();
    void createFilterPages();
    void connectFilterPage(TFilterPage* page, Handler add, Handler remove, Handler click,
                           Handler up, Handler down);
    void createFunctionKeysPage();
    void createStatementMenu();
    void addMenuItems(QMenu* menu, const char* namePrefix, const QList<const char*>& captions,
                      ItemHandler handler);
    void createButtons();

    void FormCreate();
    void FormClose();
    void paintSwatch(const QColor& color);
    void checkToolbarEntries(const QString& bits);
    void ApplyToolbarChecks();
    void loadFunctionKey(int key);
    bool saveFunctionKey();

    TForm1& m_main;
    Prompts& m_prompts;
    QButtonGroup* m_functionKeys = nullptr; // the F-key buttons, by key number
    int m_functionKey = 0;
    bool m_keepMacroFile = false; // the key's file could not be read and the list is unchanged
};

extern Tsetfilters* setfilters;
