#include "messages.h"

#include "storedtext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QPushButton>
#include <QGridLayout>
#include <QLayout>
#include <QPointer>
#include <QQueue>

#include <memory>

namespace Messages {
namespace {

struct State
{
    QQueue<QMessageBox::StandardButton> answers;
    QQueue<bool> checkBoxStates;
    QQueue<std::optional<QString>> choices;
    QList<Record> shown;
    int beeps = 0;
    bool ending = false;
};

State& state()
{
    static State s;
    return s;
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Das Tramora-Rezidedazurazedad");
}

namespace {

// The box sizes itself to its contents whenever it is shown or laid out
// anew; this lets it grow to a given height as well, with the room added
// between the text and the tick box, so that nothing is cut or covered.
class AtLeastHeight : public QObject
{
public:
    AtLeastHeight(QMessageBox* box, int height) : m_box(box), m_height(height)
    {
        if (m_height > 0)
            box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Sent after the box has sized itself for being shown.
        if (watched == m_box && event->type() == QEvent::ShowToParent)
            grow();
        return false;
    }

private:
    void grow()
    {
        auto* grid = qobject_cast<QGridLayout*>(m_box->layout());
        const int missing = m_height - m_box->height();
        if (!grid || missing <= 0)
            return;
        // The tick box's row takes the extra room, the tick box at its foot
        // just above the buttons; without one the text's row takes it.
        int row = 0;
        if (QCheckBox* tick = m_box->checkBox()) {
            int column = 0;
            int rowSpan = 0;
            int columnSpan = 0;
            grid->getItemPosition(grid->indexOf(tick), &row, &column, &rowSpan, &columnSpan);
            grid->setAlignment(tick, Qt::AlignLeft | Qt::AlignBottom);
        }
        int height = 0;
        for (int column = 0; column < grid->columnCount(); ++column)
            height = qMax(height, grid->cellRect(row, column).height());
        grid->setRowMinimumHeight(row, height + missing);
        // The box sizes itself anew on a layout request; asked now, it
        // has its height before the first paint.
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(m_box, &request);
    }

    QMessageBox* m_box;
    int m_height;
};

// The window a box belongs to, and every window and widget it lies in,
// stay while the box is open: one closed meanwhile (the session ends, the
// main window closes its working windows) is deleted only once the box
// and the code that asked have returned, as that code still uses it.
class KeepWhileAsking : public QObject
{
public:
    explicit KeepWhileAsking(QWidget* parent)
    {
        for (QObject* object = parent; object; object = object->parent()) {
            object->installEventFilter(this);
            m_watched.append(object);
        }
        active().append(this);
    }
    ~KeepWhileAsking() override
    {
        active().removeOne(this);
        for (const QPointer<QObject>& object : std::as_const(m_watched)) {
            if (object)
                object->removeEventFilter(this);
        }
        for (const QPointer<QObject>& object : std::as_const(m_deleteLater)) {
            if (!object)
                continue;
            // A box further out that still keeps it deletes it in its turn.
            KeepWhileAsking* outer = nullptr;
            for (KeepWhileAsking* keeper : std::as_const(active()))
                if (keeper->m_watched.contains(object))
                    outer = keeper;
            if (outer) {
                outer->m_deleteLater.append(object);
                continue;
            }
            // The engine of deferred deletion takes no second request for an
            // object: a stand-in of its own is deleted when control returns
            // to the event loop of the code that asked, and takes it along.
            auto* standIn = new QObject;
            connect(standIn, &QObject::destroyed, [object] { delete object.data(); });
            standIn->deleteLater();
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::DeferredDelete)
            return false;
        m_deleteLater.append(watched);
        return true;
    }

private:
    static QList<KeepWhileAsking*>& active()
    {
        static QList<KeepWhileAsking*> keepers;
        return keepers;
    }

    QList<QPointer<QObject>> m_watched;
    QList<QPointer<QObject>> m_deleteLater;
};

// The answer of a box closed with Esc.
QMessageBox::StandardButton escapeAnswer(QMessageBox::StandardButtons buttons)
{
    return buttons.testFlag(QMessageBox::No)       ? QMessageBox::No
           : buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                                                   : QMessageBox::Ok;
}

// The text as the box shows it: the line ends the program composes ("\n\r",
// and "\r\n" or a lone "\r" of texts from elsewhere) each become one line
// break; two line ends in a row stay an empty line.
QString shownText(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) {
            shown += c;
            continue;
        }
        shown += QLatin1Char('\n');
        const QChar partner = c == QLatin1Char('\n') ? QLatin1Char('\r') : QLatin1Char('\n');
        if (i + 1 < text.size() && text.at(i + 1) == partner)
            ++i;
    }
    return shown;
}

// Records the box and answers it: from the queue when an answer is queued,
// else by showing it modally. With a tick box the record holds its state.
QMessageBox::StandardButton ask(QWidget* parent, Record record, QMessageBox::StandardButton defaultButton,
                                bool withCheckBox, const QStringList& extraButtons,
                                const QList<QPair<QMessageBox::StandardButton, QString>>& captions = {},
                                const CheckBoxLayout& layout = {})
{
    if (!state().answers.isEmpty()) {
        record.answer = state().answers.dequeue();
        if (withCheckBox && !state().checkBoxStates.isEmpty())
            record.checked = state().checkBoxStates.dequeue();
        state().shown.append(record);
        return record.answer;
    }
    if (state().ending) {
        record.answer = escapeAnswer(record.buttons);
        state().shown.append(record);
        return record.answer;
    }

    // The record keeps the text as composed; only the box shows it changed.
    // On the heap: a parent deleted outright while the box is open takes
    // the box with it.
    const KeepWhileAsking keep(parent);
    QPointer<QMessageBox> owned =
        new QMessageBox(record.icon, record.title, shownText(record.text), record.buttons, parent);
    QMessageBox& box = *owned;
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!record.detail.isEmpty())
        box.setInformativeText(shownText(record.detail));
    if (!record.details.isEmpty())
        box.setDetailedText(record.details);
    QCheckBox* tick = nullptr;
    if (withCheckBox) {
        tick = new QCheckBox(record.checkBoxText, &box);
        tick->setObjectName(QStringLiteral("MessageBoxCheckBox"));
        tick->setChecked(record.checked);
        box.setCheckBox(tick);
    }
    for (const auto& [standard, caption] : captions) {
        if (QAbstractButton* button = box.button(standard)) {
            button->setText(caption);
            if (layout.captionWidth > 0)
                button->setMinimumWidth(layout.captionWidth);
        }
    }
    if (tick && layout.tickBoxGeometry.isValid()) {
        // The tick box keeps its place in the box's layout, below the text
        // and above the buttons, at least as wide as asked.
        tick->setMinimumWidth(layout.tickBoxGeometry.width());
    }
    auto* atLeast = new AtLeastHeight(&box, layout.height);
    atLeast->setParent(&box);
    QList<QPushButton*> extra;
    for (const QString& caption : extraButtons)
        extra.append(box.addButton(caption, QMessageBox::ActionRole));
    if (!record.details.isEmpty()) {
        // The toggle of the details is no answer: Return, also while it has
        // the focus, answers with the default button, the box's first one
        // unless another is named.
        for (QAbstractButton* button : box.buttons()) {
            auto* push = qobject_cast<QPushButton*>(button);
            if (push && box.standardButton(button) == QMessageBox::NoButton && !extra.contains(push))
                push->setAutoDefault(false);
        }
        if (defaultButton == QMessageBox::NoButton && record.buttons != QMessageBox::NoButton)
            defaultButton = QMessageBox::StandardButton(int(record.buttons) & -int(record.buttons));
    }
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
        if (!record.details.isEmpty())
            if (QAbstractButton* button = box.button(defaultButton))
                button->setFocus();
    }
    // A box asked during a long task gets the normal pointer back meanwhile.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    if (!owned) {
        record.answer = escapeAnswer(record.buttons);
        state().shown.append(record);
        return record.answer;
    }
    const std::unique_ptr<QMessageBox> done(owned.data());
    record.answer = static_cast<QMessageBox::StandardButton>(result);
    for (int i = 0; i < extra.size(); ++i) {
        if (box.clickedButton() == extra[i])
            record.answer = customAnswer(i);
    }
    if (tick)
        record.checked = tick->isChecked();
    state().shown.append(record);
    return record.answer;
}

} // namespace

QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                 const QString& text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton, const QStringList& customButtons,
                                 const QString& details)
{
    return ask(parent,
               Record{title, text, icon, buttons, customButtons, QMessageBox::NoButton, QString(), false, QString(),
                      details, {}, QString()},
               defaultButton, false, customButtons);
}

QMessageBox::StandardButton showWithCheckBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons,
                                             const QList<QPair<QMessageBox::StandardButton, QString>>& captions,
                                             const QString& checkBoxText, bool* checked, const CheckBoxLayout& layout)
{
    QStringList captionTexts;
    for (const auto& caption : captions)
        captionTexts << caption.second;
    const QMessageBox::StandardButton answer =
        ask(parent, Record{title, text, icon, buttons, captionTexts, QMessageBox::NoButton, checkBoxText, *checked, QString(),
                           QString(), {}, QString()},
            QMessageBox::NoButton, true, {}, captions, layout);
    *checked = state().shown.last().checked;
    return answer;
}

void error(QWidget* parent, const QString& text, const QString& detail)
{
    QString message = text;
    if (!message.endsWith(QLatin1Char('.')))
        message += QLatin1Char('.');
    Record record{applicationTitle(), message, QMessageBox::Critical, QMessageBox::Ok, {}, QMessageBox::NoButton,
                  QString(), false, detail, QString(), {}, QString()};
    ask(parent, record, QMessageBox::NoButton, false, {});
}

void inputFaults(QWidget* parent, const QString& faults)
{
    const QString lineEnd = QStringLiteral("\n\r");
    show(parent, QMessageBox::NoIcon, QStringLiteral("Fehler"),
         QStringLiteral("Es sind folgende Eingabefehler aufgetreten:") + lineEnd + lineEnd + faults + lineEnd
             + QStringLiteral("Ihre Eingaben können deshalb nicht gespeichert werden"),
         QMessageBox::Ok);
}

void notify(QWidget* parent, const QString& title, const QString& text)
{
    Record record{title, text, QMessageBox::Information, QMessageBox::Ok, {}, QMessageBox::Ok, QString(), false,
                  QString(), QString(), {}, QString()};
    state().shown.append(record);
    if (state().ending)
        return;
    auto* box = new QMessageBox(record.icon, title, shownText(text), QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("NoticeBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setModal(false);
    box->show();
}

bool confirm(QWidget* parent, const QString& title, const QString& text)
{
    return show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes)
           == QMessageBox::Yes;
}

std::optional<QString> choose(QWidget* parent, const QString& title, const QString& label,
                              const QStringList& items, const QString& current, bool editable, int maxLength,
                              StoredText::Kind kind)
{
    Record record{title, label, QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel, {},
                  QMessageBox::NoButton, QString(), false, QString(), QString(), items, QString()};
    const QString first = items.contains(current) || (editable && !current.isEmpty()) ? current : items.value(0);
    std::optional<QString> chosen;
    if (!state().choices.isEmpty()) {
        chosen = state().choices.dequeue();
    } else if (!state().answers.isEmpty()) {
        if (state().answers.dequeue() == QMessageBox::Ok)
            chosen = first;
    } else if (!state().ending) {
        const KeepWhileAsking keep(parent);
        // On the heap, as the boxes above: a parent deleted outright while
        // the dialog is open takes it along.
        QPointer<QDialog> owned = new QDialog(parent);
        QDialog& dialog = *owned;
        dialog.setObjectName(QStringLiteral("ChoiceDialog"));
        dialog.setWindowTitle(title);
        auto* layout = new QVBoxLayout(&dialog);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        auto* text = new QLabel(label, &dialog);
        text->setObjectName(QStringLiteral("ChoiceLabel"));
        auto* field = new QComboBox(&dialog);
        field->setObjectName(QStringLiteral("ChoiceField"));
        field->setEditable(editable);
        if (editable) {
            field->setInsertPolicy(QComboBox::NoInsert);
            if (maxLength > 0)
                StoredText::limit(field, maxLength, kind);
        }
        field->addItems(items);
        field->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        field->setMinimumWidth(qMax(240, text->sizeHint().width()));
        const int index = int(items.indexOf(first));
        field->setCurrentIndex(index);
        if (index < 0 && editable)
            field->setEditText(first);
        text->setBuddy(field);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        buttons->setObjectName(QStringLiteral("ChoiceButtons"));
        buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(text);
        layout->addWidget(field);
        layout->addSpacing(6);
        layout->addWidget(buttons);
        field->setFocus();
        const bool waiting = QApplication::overrideCursor() != nullptr;
        if (waiting)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        const int result = dialog.exec();
        if (waiting)
            QApplication::restoreOverrideCursor();
        if (owned) {
            const std::unique_ptr<QDialog> done(owned.data());
            if (result == QDialog::Accepted)
                chosen = field->currentText();
        }
    }
    record.answer = chosen ? QMessageBox::Ok : QMessageBox::Cancel;
    record.chosen = chosen.value_or(QString());
    state().shown.append(record);
    return chosen;
}

void beep()
{
    ++state().beeps;
    QApplication::beep();
}

void setEnding(bool ending)
{
    state().ending = ending;
}

bool ending()
{
    return state().ending;
}

void setNextAnswer(QMessageBox::StandardButton answer)
{
    state().answers.enqueue(answer);
}

void setNextChoice(const std::optional<QString>& choice)
{
    state().choices.enqueue(choice);
}

bool hasQueuedAnswers()
{
    return !state().answers.isEmpty() || !state().choices.isEmpty();
}

void setNextCheckBoxState(bool checked)
{
    state().checkBoxStates.enqueue(checked);
}

void clearQueuedAnswers()
{
    state().answers.clear();
    state().checkBoxStates.clear();
    state().choices.clear();
}

const QList<Record>& shown()
{
    return state().shown;
}

void clearShown()
{
    state().shown.clear();
    state().beeps = 0;
}

int beepCount()
{
    return state().beeps;
}

bool askOkCancel(QWidget* parent, const QString& question)
{
    return show(parent, QMessageBox::NoIcon, QStringLiteral("Frage"), question, QMessageBox::Ok | QMessageBox::Cancel)
           == QMessageBox::Ok;
}

void deletedElsewhere(QWidget* parent, const QString& record, const QString& saveAs, const QString& saveButton)
{
    QString text = record + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht.");
    if (!saveAs.isEmpty())
        text += QStringLiteral(" Ihre Eingaben stehen weiter im Formular; „%1“ legt sie als %2 an.").arg(saveButton, saveAs);
    show(parent, saveAs.isEmpty() ? QMessageBox::Information : QMessageBox::Warning, applicationTitle(), text,
         QMessageBox::Ok);
}

ChangedElsewhere changedElsewhere(QWidget* parent, const QString& record)
{
    const QString text = record + QStringLiteral(" wurde seit dem Laden an einem anderen Arbeitsplatz geändert.")
                         + QLatin1Char('\n') + QLatin1Char('\n')
                         + QStringLiteral("Möchten Sie die dort gespeicherte Fassung laden (Ihre Eingaben werden "
                                          "dann verworfen) oder Ihre Eingaben darüber speichern?");
    const QMessageBox::StandardButton answer =
        show(parent, QMessageBox::Warning, applicationTitle(), text, QMessageBox::Cancel, QMessageBox::Cancel,
             {QStringLiteral("Fassung &laden"), QStringLiteral("&Darüber speichern")});
    if (answer == customAnswer(0))
        return ChangedElsewhere::LoadStored;
    if (answer == customAnswer(1))
        return ChangedElsewhere::SaveOver;
    return ChangedElsewhere::Cancel;
}

} // namespace Messages
