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
    m_model.setDirty(true);
    if (m_draftOffered && !m_closing && m_draftTimer)
        m_draftTimer->start();
}

void TForm4::markClean()
{
    m_model.setDirty(false);
    if (!m_draftOffered)
        return;
    if (m_draftTimer)
        m_draftTimer->stop();
    m_model.draft().remove();
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
    if (!m_model.dirty() || !m_draftOffered)
        return;
    // A draft that cannot be written leaves the one before; the input is
    // still in the window, and the question on closing still comes. The
    // user hears of it once, until a draft is written again.
    QString reason;
    if (m_model.draft().write(draftContent(), &reason)) {
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
                        .arg(QDir::toNativeSeparators(m_model.draft().path())),
                    reason);
}

EditorDraft::Content TForm4::draftContent()
{
    takeInput();
    return m_model.draftContent();
}

void TForm4::offerDraft()
{
    if (m_draftOffered || m_closing)
        return;
    const std::optional<EditorDraft::Content> content = m_model.draft().load();
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
        m_model.draft().remove();
}

void TForm4::restoreDraft(const EditorDraft::Content& content)
{
    // The entry the input was made for, when it is still there; otherwise
    // the input becomes a new entry.
    const qsizetype at = content.entryId.toInt() > 0 ? m_model.ids().indexOf(content.entryId) : -1;
    if (at >= 0) {
        showEntryAt(int(at));
        ToolButton13Click();
    } else {
        ToolButton1Click();
    }
    m_model.applyDraft(content);
    for (auto it = content.fields.cbegin(); it != content.fields.cend(); ++it)
        if (auto* field = GroupBox2->findChild<QWidget*>(it.key(), Qt::FindDirectChildrenOnly))
            setFieldText(field, it.value());
    showUnits();
    FieldColours::setLocked(StringAlignGrid1, false);
    showUnitTotal();
    m_model.setDirty(true);
}
