#pragma once

#include "platform/Prompts.h"

#include <QString>

// The operation that waits for its second number; None when there is none.
enum class CalcOperator { None, Add, Subtract, Multiply, Divide };

// What the window does after a step: show the display's text, then the message if there is one.
struct CalculatorStep {
    QString display;
    QString message; // empty: none
    MessageKind messageKind = MessageKind::Information;
};

// The four-function calculator without its window. It works on decimal numbers with four
// places: Accumulator is the running result times 10000. Entry is the number being typed,
// exactly as keyed (digits and the comma as decimal separator), empty while none is typed.
//
// Entry converts exactly: an optional "-", digits, at most one comma, and at least one digit
// ("5," is 5, ",5" is 0,5, "," alone is no number). Beyond 19 significant digits the entry is
// rounded to 19, halves to even, as a floating point conversion would. Each combination is
// then computed exactly and rounded to the nearest integer, halves to even. A failed step
// (no number, division by zero, a result beyond 64 bits) leaves the state as it was.
class Calculator
{
public:
    // The display shows at most this many characters, so an entry grows no longer.
    static constexpr int DisplayLength = 25;

    // "0" starting a number is refused with a message, and the entry becomes "1", shown.
    CalculatorStep Digit(int digit);
    CalculatorStep Comma();
    // Combines the entry with the running result, and op waits for the next number; with no
    // entry nothing changes.
    CalculatorStep ApplyOperator(CalcOperator op);
    // Combines, then the result stands as the typed entry: the next operator chains on it and
    // the next digit is appended to it.
    CalculatorStep Equals();
    // Takes the entry's last character, and a comma that would end it; a one-character entry
    // stays.
    CalculatorStep DeleteLast();
    CalculatorStep Clear();

    qint64 Accumulator() const { return m_accumulator; }
    CalcOperator PendingOperator() const { return m_pendingOperator; }
    QString Entry() const { return m_entry; }
    QString Display() const { return m_display; }

private:
    CalculatorStep shown() const;
    CalculatorStep refused(const QString& message) const;
    CalculatorStep typed(QChar character);

    qint64 m_accumulator = 0;
    CalcOperator m_pendingOperator = CalcOperator::None;
    QString m_entry;
    QString m_display = QStringLiteral("0");
};

// tenThousandths / 10000 in the general format: the shortest form with up to 15 significant
// digits, a comma before the decimals, no thousands separators; 0 is "0", 2.5 is "2,5".
QString FormatCalculatorValue(qint64 tenThousandths);
