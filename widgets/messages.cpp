#include "messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QLayout>
#include <QQueue>

namespace Messages {
namespace {

struct State
{
    QQueue<QMessageBox::StandardButton> answers;
    QQueue<bool> checkBoxStates;
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
        record.answer = record.buttons.testFlag(QMessageBox::No)       ? QMessageBox::No
                        : record.buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                                                                       : QMessageBox::Ok;
        state().shown.append(record);
        return record.answer;
    }

    QMessageBox box(record.icon, record.title, record.text, record.buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!record.detail.isEmpty())
        box.setInformativeText(record.detail);
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
    if (layout.height > 0 || layout.tickBoxGeometry.isValid()) {
        // Once the box has laid itself out, give it the asked height and
        // the tick box its place.
        QTimer::singleShot(0, &box, [&box, tick, layout] {
            if (layout.height > 0)
                box.setFixedHeight(layout.height);
            if (tick && layout.tickBoxGeometry.isValid()) {
                box.layout()->removeWidget(tick);
                tick->setGeometry(layout.tickBoxGeometry);
            }
        });
    }
    QList<QPushButton*> extra;
    for (const QString& caption : extraButtons)
        extra.append(box.addButton(caption, QMessageBox::ActionRole));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    const int result = box.exec();
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
                                 QMessageBox::StandardButton defaultButton, const QStringList& customButtons)
{
    return ask(parent, Record{title, text, icon, buttons, customButtons, QMessageBox::NoButton, QString(), false, QString()},
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
        ask(parent, Record{title, text, icon, buttons, captionTexts, QMessageBox::NoButton, checkBoxText, *checked, QString()},
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
                  QString(), false, detail};
    ask(parent, record, QMessageBox::NoButton, false, {});
}

bool confirm(QWidget* parent, const QString& title, const QString& text)
{
    return show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes)
           == QMessageBox::Yes;
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

bool hasQueuedAnswers()
{
    return !state().answers.isEmpty();
}

void setNextCheckBoxState(bool checked)
{
    state().checkBoxStates.enqueue(checked);
}

void clearQueuedAnswers()
{
    state().answers.clear();
    state().checkBoxStates.clear();
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

} // namespace Messages
