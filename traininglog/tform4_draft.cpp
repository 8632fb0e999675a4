#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "storedtext.h"
#include "stringgrid.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTimer>

#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

namespace {

// Typing is written to the draft once it pauses this long.
constexpr int kDraftDelayMs = 500;

QString fieldText(QWidget* field)
{
    if (auto* mask = qobject_cast<MaskEdit*>(field))
        return mask->text();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(field))
        return combo->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        return memo->toPlainText();
    return QString();
}

void setFieldText(QWidget* field, const QString& text)
{
    if (auto* mask = qobject_cast<MaskEdit*>(field)) {
        mask->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(field)) {
        const int item = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (item >= 0)
            combo->setCurrentIndex(item);
        combo->setEditText(text);
        combo->lineEdit()->setCursorPosition(0);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(field)) {
        memo->setPlainText(text);
    }
}

} // namespace

void TForm4::setUpDraft()
{
    m_draftTimer = new QTimer(this);
    m_draftTimer->setSingleShot(true);
    m_draftTimer->setInterval(kDraftDelayMs);
    connect(m_draftTimer, &QTimer::timeout, this, &TForm4::writeDraft);
#ifndef QT_NO_SESSIONMANAGER
    // The desktop saves its session (logout): the draft is written at once,
    // and the logout goes on without a question.
    if (qGuiApp)
        connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] { keepDraftNow(); });
#endif
}

void TForm4::setDirty()
{
    m_dirty = true;
    if (m_draftOffered && !m_closing && m_draftTimer)
        m_draftTimer->start();
}

void TForm4::markClean()
{
    m_dirty = false;
    if (!m_draftOffered)
        return;
    if (m_draftTimer)
        m_draftTimer->stop();
    m_draft.remove();
}

void TForm4::keepDraftNow()
{
    if (m_draftTimer)
        m_draftTimer->stop();
    writeDraft();
}

void TForm4::writeDraft()
{
    // The draft found at the opening stays as it is until it was offered.
    if (!m_dirty || !m_draftOffered)
        return;
    // A draft that cannot be written leaves the one before; the input is
    // still in the window, and the question on closing still comes. The
    // user hears of it once, until a draft is written again.
    QString reason;
    if (m_draft.write(draftContent(), &reason)) {
        m_draftFailed = false;
        return;
    }
    if (m_draftFailed)
        return;
    m_draftFailed = true;
    Messages::error(this,
                    QStringLiteral("Die Eingaben können nicht vorläufig aufbewahrt werden, weil die Datei %1 nicht "
                                   "geschrieben werden kann (ist der Datenträger voll?). Bei einem Absturz gehen "
                                   "sie verloren; speichern Sie den Eintrag")
                        .arg(QDir::toNativeSeparators(m_draft.path())),
                    reason);
}

EditorDraft::Content TForm4::draftContent() const
{
    EditorDraft::Content content;
    content.userId = m_userId;
    content.entryId = Label16->text();
    content.written = QDateTime::currentDateTime();
    for (QWidget* field : std::initializer_list<QWidget*>{DateEdit1, maskeditL1, ComboBox3, EnhancedEdit1,
                                                          EnhancedEdit2, maskeditL3, ComboBox1, ComboBox2, Memo1,
                                                          Memo2})
        content.fields.insert(field->objectName(), fieldText(field));
    for (int row = 1; row < StringAlignGrid1->gridRowCount(); ++row) {
        if (StringAlignGrid1->cells(0, row).isEmpty())
            continue;
        QStringList cells;
        for (int column = 0; column < 5; ++column)
            cells << StringAlignGrid1->cells(column, row);
        double km = 0.0;
        cells << (storedDistance(row, &km) ? QString::number(km, 'g', 17) : QString());
        content.units << cells;
    }
    return content;
}

void TForm4::offerDraft()
{
    if (m_draftOffered || m_closing)
        return;
    const std::optional<EditorDraft::Content> content = m_draft.load();
    if (!content) {
        m_draftOffered = true;
        return;
    }
    const QDateTime& at = content->written;
    const bool restore = Messages::confirm(
        this, QStringLiteral("Bestätigen"),
        QStringLiteral("Es gibt nicht gespeicherte Eingaben vom %1, %2. Wiederherstellen?")
            .arg(at.toString(QStringLiteral("dd.MM.yyyy")), at.toString(QStringLiteral("hh:mm"))));
    // The session ended while the question was open: the draft waits for
    // the next opening.
    if (Messages::ending())
        return;
    if (restore && guarded(this, [&] { restoreDraft(*content); })) {
        m_draftOffered = true;
        return;
    }
    m_draftOffered = true;
    if (!restore)
        m_draft.remove();
}

void TForm4::restoreDraft(const EditorDraft::Content& content)
{
    // The entry the input was made for, when it is still there; otherwise
    // the input becomes a new entry.
    const qsizetype at = content.entryId.toInt() > 0 ? m_entries.indexOf(content.entryId) : -1;
    if (at >= 0) {
        showEntryAt(int(at));
        ToolButton13Click();
    } else {
        ToolButton1Click();
    }
    for (auto it = content.fields.cbegin(); it != content.fields.cend(); ++it)
        if (auto* field = GroupBox2->findChild<QWidget*>(it.key(), Qt::FindDirectChildrenOnly))
            setFieldText(field, it.value());

    StringGridLeeren();
    for (const QStringList& unit : content.units) {
        const int row = StringAlignGrid1->gridRowCount() - 1;
        for (int column = 0; column < 5; ++column)
            StringAlignGrid1->setCells(column, row, unit.at(column));
        bool ok = false;
        const double km = unit.at(5).toDouble(&ok);
        if (ok && StringAlignGrid1->cells(1, row) == entryDistanceText(km) + QStringLiteral(" km "))
            setStoredDistance(row, km);
        StringAlignGrid1->addRow();
    }
    FieldColours::setLocked(StringAlignGrid1, false);
    showUnitTotal();
    m_dirty = true;
}
