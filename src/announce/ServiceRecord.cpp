#include "announce/ServiceRecord.h"

#include <QCoreApplication>

namespace mc::announce {

namespace {

constexpr qsizetype kMaxTxtBytes = 255;

// `text` as UTF-8, cut at a character boundary to at most `bytes` bytes.
QByteArray utf8Within(const QString& text, qsizetype bytes) {
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= bytes) return utf8;
    qsizetype end = qMax(qsizetype(0), bytes);
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end;
    return utf8.left(end);
}

QByteArray txt(const char* key, const QString& value) {
    const QByteArray prefix = QByteArray(key) + '=';
    return prefix + utf8Within(value, kMaxTxtBytes - prefix.size());
}

// `text` as a literal part of an instance name.
QString literal(QString text) {
    return text.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

}  // namespace

bool reachable(const QHostAddress& address) {
    return !address.isNull() && !address.isLoopback();
}

bool shouldAnnounce(bool announceKey, bool listening, const QHostAddress& address) {
    return announceKey && listening && reachable(address);
}

ServiceRecord routerRecord(const QString& model, const QString& friendlyName,
                           const QString& uniqueId, const QString& protocolVersion, quint16 port,
                           const QHostAddress& address) {
    return {QStringLiteral("_blackmagic._tcp"),
            port,
            literal(model) + QStringLiteral(" (%h)"),
            {txt("class", QStringLiteral("Videohub")), txt("name", friendlyName),
             txt("unique id", uniqueId), txt("protocol version", protocolVersion)},
            address};
}

ServiceRecord webRecord(const QString& model, quint16 port, const QHostAddress& address) {
    // The same name in every language: controllers on the network see it.
    const QString panel = QString::fromUtf8("网页控制");
    return {QStringLiteral("_http._tcp"),
            port,
            literal(model) + QLatin1Char(' ') + literal(panel) + QStringLiteral(" (%h)"),
            {QByteArrayLiteral("path=/")},
            address};
}

QString instanceName(const QString& name, const QString& hostName) {
    QString before;  // up to "%h", the part that is shortened
    QString after;
    bool host = false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        QString& out = host ? after : before;
        if (name[i] == QLatin1Char('%') && i + 1 < name.size() &&
            (name[i + 1] == QLatin1Char('%') || name[i + 1] == QLatin1Char('h'))) {
            ++i;
            if (name[i] == QLatin1Char('%')) {
                out += QLatin1Char('%');
            } else if (!host) {
                host = true;
            } else {
                out += hostName;
            }
            continue;
        }
        out += name[i];
    }
    if (!host) return QString::fromUtf8(utf8Within(before, kMaxInstanceNameBytes));
    const qsizetype glue = qMax(qsizetype(0), before.lastIndexOf(QLatin1Char(' ')));
    const QByteArray rest = (before.mid(glue) + hostName + after).toUtf8();
    before.truncate(glue);
    const QByteArray start =
        utf8Within(before, qMax(qsizetype(0), kMaxInstanceNameBytes - rest.size()));
    return QString::fromUtf8(utf8Within(QString::fromUtf8(start + rest), kMaxInstanceNameBytes));
}

}  // namespace mc::announce
