#include "logindialog.h"

#include "messages.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LoginDialog::LoginDialog(const QString& serverName, const QString& user, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LoginDialog"));
    setWindowTitle(QStringLiteral("Anmeldung am Datenbankserver"));
    // asked while the splash window is up, which stays in front of others
    setWindowFlag(Qt::WindowStaysOnTopHint);

    Label1 = new QLabel(QStringLiteral("Das Tagebuch liegt auf dem Datenbankserver %1.\n"
                                       "Bitte melden Sie sich dort an.")
                            .arg(serverName),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(user, this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setEchoMode(QLineEdit::Password);
    Label2 = new QLabel(QStringLiteral("Benutzername"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(Edit1);
    Label3 = new QLabel(QStringLiteral("Passwort"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setBuddy(Edit2);

    ButtonBox1 = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonBox1->setObjectName(QStringLiteral("ButtonBox1"));
    ButtonBox1->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    ButtonBox1->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(ButtonBox1, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ButtonBox1, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(Label2, Edit1);
    fields->addRow(Label3, Edit2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(fields);
    layout->addWidget(ButtonBox1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Edit1->setMinimumWidth(220);

    (user.isEmpty() ? Edit1 : Edit2)->setFocus();
}

Credentials LoginDialog::credentials() const
{
    return {Edit1->text().trimmed(), Edit2->text()};
}

std::optional<Credentials> LoginDialog::ask(const QString& serverName, const QString& user, QWidget* parent)
{
    if (Messages::ending())
        return std::nullopt; // the program is being stopped
    LoginDialog dialog(serverName, user, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.credentials();
}
