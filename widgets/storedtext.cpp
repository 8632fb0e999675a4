#include "storedtext.h"

#include "cp1252.h"
#include "messages.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTextCursor>
#include <QValidator>

namespace StoredText {
namespace {

// Refuses every change of a line edit that leaves a text the field cannot store.
class Validator : public QValidator
{
public:
    Validator(int maxLength, Kind kind, QObject* parent) : QValidator(parent), m_maxLength(maxLength), m_kind(kind) {}

    State validate(QString& input, int& /*pos*/) const override
    {
        if (input.size() <= m_maxLength && refusedAt(input, m_kind) < 0)
            return Acceptable;
        Messages::beep();
        return Invalid;
    }

private:
    int m_maxLength;
    Kind m_kind;
};

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
           || c == QChar::ParagraphSeparator;
}

// What the input check names as the refused character.
QString describe(const QString& text, qsizetype at)
{
    const QChar c = text.at(at);
    if (isLineBreak(c))
        return QStringLiteral("ein Zeilenumbruch");
    if (c.category() == QChar::Other_Control)
        return QStringLiteral("das Steuerzeichen U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    if (at == 0 && c.isSpace())
        return QStringLiteral("ein Leerzeichen am Anfang");
    const qsizetype size = c.isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
    return QStringLiteral("das Zeichen „") + text.mid(at, size) + QStringLiteral("“");
}

} // namespace

qsizetype refusedAt(const QString& text, Kind kind)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (kind == Kind::Memo && (c == QLatin1Char('\n') || c == QLatin1Char('\t')))
            continue;
        if (c.category() == QChar::Other_Control || isLineBreak(c) || !cp1252::canHold(QString(c)))
            return i;
        // The list is read back item by item up to each "%", and the
        // settings file drops blanks at the front of a value.
        if (kind == Kind::ListItem && (c == QLatin1Char('%') || (i == 0 && c.isSpace())))
            return i;
    }
    return -1;
}

QString fault(const QString& field, const QString& text, int maxLength, Kind kind)
{
    const qsizetype at = refusedAt(text, kind);
    if (at >= 0)
        return QStringLiteral("- ") + field + QStringLiteral(": ") + describe(text, at)
               + QStringLiteral(" kann nicht gespeichert werden");
    if (text.size() > maxLength)
        return QStringLiteral("- ") + field + QStringLiteral(": mehr als ") + QString::number(maxLength)
               + QStringLiteral(" Zeichen");
    return {};
}

QString typedText(const QKeyEvent* event)
{
    const QString text = event->text();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier))
        return {};
    // Editing keys type a control character (backspace, Return, Esc, Tab)
    // or nothing.
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            return text;
    }
    return {};
}

void limit(QLineEdit* edit, int maxLength, Kind kind)
{
    edit->setMaxLength(maxLength);
    edit->setValidator(new Validator(maxLength, kind, edit));
}

void limit(QComboBox* combo, int maxLength, Kind kind)
{
    Q_ASSERT(combo->lineEdit());
    limit(combo->lineEdit(), maxLength, kind);
}

} // namespace StoredText

MemoEdit::MemoEdit(QWidget* parent) : QPlainTextEdit(parent) {}

qsizetype MemoEdit::room() const
{
    const QTextCursor cursor = textCursor();
    const qsizetype length = document()->characterCount() - 1; // without the closing paragraph mark
    return m_maxLength - (length - (cursor.selectionEnd() - cursor.selectionStart()));
}

bool MemoEdit::takes(const QString& text) const
{
    return StoredText::refusedAt(text, StoredText::Kind::Memo) < 0 && text.size() <= room();
}

void MemoEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isReadOnly()) {
        QString typed = StoredText::typedText(event);
        if (typed.isEmpty() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && !(event->modifiers() & Qt::ControlModifier))
            typed = QStringLiteral("\n");
        if (!typed.isEmpty() && !takes(typed)) {
            Messages::beep();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (!commit.isEmpty() && !takes(commit)) {
        Messages::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void MemoEdit::insertFromMimeData(const QMimeData* source)
{
    // Pasting, dropping and the middle button all come here.
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char('\n');
    }
    if (StoredText::refusedAt(text, StoredText::Kind::Memo) >= 0) {
        Messages::beep();
        return;
    }
    const qsizetype free = qMax<qsizetype>(room(), 0);
    if (text.size() > free) {
        Messages::beep();
        text.truncate(free);
    }
    QMimeData plain;
    plain.setText(text);
    QPlainTextEdit::insertFromMimeData(&plain);
}
