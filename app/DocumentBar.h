#pragma once

#include <QFrame>

#include <functional>

class QHBoxLayout;
class QLabel;

// A message above a document's text with a button for each answer, shown without stopping
// the user: the text stays usable and the bar waits until it is answered.
class TDocumentBar final : public QFrame
{
    Q_OBJECT

public:
    struct Choice {
        QString caption; // "&" marks the access key
        std::function<void()> act;
    };

    TDocumentBar(const QString& text, const QList<Choice>& choices, QWidget* parent = nullptr);

    QString Text() const;

private:
    QLabel* m_label;
};
