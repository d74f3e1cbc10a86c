#include "wynsignal.h"

#include <QMetaObject>
#include <QObject>
#include <QtGlobal>

#include <cstring>

namespace {

// The leading code character of SLOT(); SIGNAL() writes '2'.
constexpr char kSlotCode = '1';

} // namespace

WynSignal::WynSignal(const QObject* receiver, const char* member, void* argument)
{
    const char* paren = member ? std::strchr(member, '(') : nullptr;
    if (!paren || member[0] != kSlotCode) {
        qWarning("WynSignal - Invalid member specification");
        return;
    }
    this->member = QByteArray(member + 1, int(paren - member - 1));
    this->receiver = const_cast<QObject*>(receiver);
    this->argument = argument;
}

void WynSignal::invoke() const
{
    QObject* target = receiver.data();
    if (!target)
        return;
    QMetaObject::invokeMethod(
        target, member.constData(), Qt::QueuedConnection, Q_ARG(void*, argument));
}
