#include "lists/ui/EntryDialog.h"

#include "lists/ListFiles.h"
#include "lists/ListStore.h"
#include "lists/NumberField.h"
#include "platform/MessageSeam.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

EntryDialog::EntryDialog(ListStore& store, ListKind kind, QWidget* owner)
    : QWidget(owner, Qt::Dialog), m_store(store), m_kind(kind) {
    setObjectName(kind == ListKind::Public ? QStringLiteral("frmPBAdd")
                                           : QStringLiteral("frmPBAddprv"));
    setWindowTitle(QString());
    setAttribute(Qt::WA_DeleteOnClose);

    auto* numberLabel =
        new QLabel(QCoreApplication::translate("EntryDialog", "Caller's Number:"), this);
    numberLabel->setObjectName(QStringLiteral("Label2"));
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("Text2"));
    m_nameLabel = new QLabel(QCoreApplication::translate("EntryDialog", "Name:"), this);
    m_nameLabel->setObjectName(QStringLiteral("Label1"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("Text1"));
    m_ok = new QPushButton(QCoreApplication::translate("EntryDialog", "OK"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_cancel = new QPushButton(QCoreApplication::translate("EntryDialog", "Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton* b : {m_ok, m_cancel})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(numberLabel, 0, 0);
    grid->addWidget(m_number, 0, 1);
    grid->addWidget(m_nameLabel, 1, 0);
    grid->addWidget(m_name, 1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 2, 1);
    // The public list stores numbers only: its name row exists but is never shown or read.
    if (kind == ListKind::Public) {
        m_nameLabel->hide();
        m_name->hide();
    }
    setTabOrder(m_number, m_name);
    setTabOrder(m_name, m_ok);
    setTabOrder(m_ok, m_cancel);

    m_number->installEventFilter(this);
    m_name->installEventFilter(this);
    connect(m_ok, &QPushButton::clicked, this, &EntryDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
}

void EntryDialog::present() {
    show();
    raise();
    activateWindow();
    m_number->setFocus(Qt::OtherFocusReason);
}

bool EntryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QWidget::eventFilter(watched, event);
    if (watched == m_number && m_kind == ListKind::Private)
        m_name->setFocus(Qt::TabFocusReason);
    else if (watched == m_number || watched == m_name)
        accept();
    else
        return QWidget::eventFilter(watched, event);
    return true;
}

void EntryDialog::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

QString EntryDialog::listTitle() const {
    return m_kind == ListKind::Public
               ? QCoreApplication::translate("EntryDialog", "Public Telemarketing List")
               : QCoreApplication::translate("EntryDialog", "Private Black List");
}

void EntryDialog::refuseNumber() {
    ShowMessage(
        QCoreApplication::translate("EntryDialog", "The telephone number field must be numeric"),
        listTitle(), MessageIcon::Critical);
    m_number->setFocus(Qt::OtherFocusReason);
}

void EntryDialog::accept() {
    const bool stored = m_kind == ListKind::Public ? storePublic() : storePrivate();
    if (stored)
        close();
}

bool EntryDialog::storePublic() {
    double value = 0;
    // A 0 record ends public.tel, so a 0 entry would hide every entry added after it.
    if (!ReadTypedNumber(m_number->text(), QLocale(), &value) || value == 0) {
        refuseNumber();
        return false;
    }
    QString error;
    return m_store.addPublic(value, &error) || refuseStore(error);
}

bool EntryDialog::storePrivate() {
    if (!ReadTypedNumber(m_number->text(), QLocale(), nullptr)) {
        refuseNumber();
        return false;
    }
    // The number is kept exactly as typed (leading zeros, separators), cut to the field width.
    const PrivateEntry entry = MakePrivateEntry(m_name->text(), m_number->text());
    QString error;
    return m_store.addPrivate(entry, &error) || refuseStore(error);
}

bool EntryDialog::refuseStore(const QString& error) {
    ShowMessage(QCoreApplication::translate("EntryDialog", "The entry could not be saved.\n\n") +
                    error,
                listTitle(), MessageIcon::Critical);
    return false;
}
