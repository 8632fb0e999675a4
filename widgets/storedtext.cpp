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

} // namespace

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
