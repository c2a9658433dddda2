#include "platform/FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace
{

enum Style { Regular, Italic, Bold, BoldItalic };

Style styleOf(const QFont& font)
{
    if (font.bold())
        return font.italic() ? BoldItalic : Bold;
    return font.italic() ? Italic : Regular;
}

} // namespace

FontDialog::FontDialog(const FontChoice& start, int minSize, int maxSize, QWidget* parent)
    : QDialog(parent), m_color(start.color)
{
    setWindowTitle(tr("Font"));
    m_family = new QFontComboBox(this);
    m_family->setObjectName("FontFamily");
    m_family->setEditable(false); // existing fonts only
    // A family that does not exist here is drawn with the fixed-pitch font: that is shown.
    const bool exists = QFontDatabase::hasFamily(start.font.family());
    m_family->setCurrentFont(exists ? start.font
                                    : QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_style = new QComboBox(this);
    m_style->setObjectName("FontStyle");
    m_style->addItems({tr("Regular"), tr("Italic"), tr("Bold"), tr("Bold Italic")});
    m_style->setCurrentIndex(styleOf(start.font));

    m_size = new QComboBox(this);
    m_size->setObjectName("FontSize");
    for (int size = minSize; size <= maxSize; ++size)
        m_size->addItem(QString::number(size), size);
    m_size->setCurrentIndex(qBound(minSize, start.font.pointSize(), maxSize) - minSize);

    m_underline = new QCheckBox(tr("&Underline"), this);
    m_underline->setObjectName("FontUnderline");
    m_underline->setChecked(start.font.underline());

    m_sample = new QLabel(QStringLiteral("AaBbYyZz"), this);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(2 * maxSize);

    auto* fields = new QFormLayout;
    fields->addRow(tr("&Font:"), m_family);
    fields->addRow(tr("Font st&yle:"), m_style);
    fields->addRow(tr("&Size:"), m_size);
    fields->addRow(QString(), m_underline);
    fields->addRow(tr("Sample:"), m_sample);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);

    connect(m_family, &QFontComboBox::currentFontChanged, this, &FontDialog::showSample);
    for (QComboBox* box : {m_style, m_size})
        connect(box, &QComboBox::currentIndexChanged, this, &FontDialog::showSample);
    connect(m_underline, &QCheckBox::toggled, this, &FontDialog::showSample);
    showSample();
}

FontChoice FontDialog::Choice() const
{
    QFont font(m_family->currentFont().family(), m_size->currentData().toInt());
    const int style = m_style->currentIndex();
    font.setBold(style == Bold || style == BoldItalic);
    font.setItalic(style == Italic || style == BoldItalic);
    font.setUnderline(m_underline->isChecked());
    return {font, m_color};
}

void FontDialog::showSample()
{
    m_sample->setFont(Choice().font);
}
