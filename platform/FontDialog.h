#pragma once

#include "platform/Prompts.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;

// Chooses the document font among the fonts that exist here, in a range of sizes only.
class FontDialog final : public QDialog
{
    Q_OBJECT

public:
    FontDialog(const FontChoice& start, int minSize, int maxSize, QWidget* parent = nullptr);

    FontChoice Choice() const;

private:
    void showSample();

    QFontComboBox* m_family = nullptr;
    QComboBox* m_style = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_underline = nullptr;
    QLabel* m_sample = nullptr;
    QColor m_color;
};
