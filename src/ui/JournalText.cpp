#include "ui/JournalText.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <exception>
#include <string_view>

#include "control/MatrixSession.h"
#include "control/SwitchingLayer.h"
#include "ui/MatrixFormSupport.h"

namespace mc {

namespace {

bool isLockAction(const std::string& action) {
    return action == journal::kLock || action == journal::kUnlock ||
           action == journal::kForceUnlock;
}

QString text(const char* source) {
    return QCoreApplication::translate("JournalText", source);
}

// "输出3", or "输出3（主屏）" when the port had a name; `kind` is the text of
// the bare port ("输出%1").
QString portText(const char* kind, std::int32_t port, const std::string& name) {
    const QString bare = text(kind).arg(port + 1);
    if (name.empty()) return bare;
    return text(QT_TRANSLATE_NOOP("JournalText", "%1（%2）")).arg(bare, toQ(name));
}

// One side of a change: the input with its name, or what the output carried
// instead ("关闭", "未知", "循环 3、4"); a line of an older version says
// only -1: "关闭" when `closing`, else "—".
QString carriedText(std::int32_t input, const std::string& name, const std::string& kind,
                    const std::vector<std::int32_t>& inputs, bool closing) {
    if (input >= 0) return portText(QT_TRANSLATE_NOOP("JournalText", "输入%1"), input, name);
    if (kind == journal::kClosed || (kind.empty() && closing))
        return text(QT_TRANSLATE_NOOP("JournalText", "关闭"));
    if (kind == journal::kUnknown) return text(QT_TRANSLATE_NOOP("JournalText", "未知"));
    if (kind == journal::kCycle) {
        QStringList numbers;
        for (const std::int32_t cycled : inputs)
            numbers << QString::number(cycled + 1);
        return text(QT_TRANSLATE_NOOP("JournalText", "循环 %1"))
            .arg(numbers.join(text(QT_TRANSLATE_NOOP("JournalText", "、"))));
    }
    return QStringLiteral("—");
}

// The text of a label step: "输入3 命名为“摄像机”"; empty for a step that
// names no kind of port.
QString labelText(const JournalEntry& entry) {
    const bool input = entry.kind == journal::kInputPort;
    if (!entry.port || !entry.text || (!input && entry.kind != journal::kOutputPort)) return {};
    const QString name = toQ(*entry.text);
    const QString which = (input ? text(QT_TRANSLATE_NOOP("JournalText", "输入%1"))
                                 : text(QT_TRANSLATE_NOOP("JournalText", "输出%1")))
                              .arg(*entry.port + 1);
    return name.isEmpty()
               ? text(QT_TRANSLATE_NOOP("JournalText", "%1 名称清除")).arg(which)
               : text(QT_TRANSLATE_NOOP("JournalText", "%1 命名为“%2”")).arg(which, name);
}

// The caption of the layer's radio button, for a layer step's text.
QString layerText(const std::string& step) {
    if (step == std::to_string(kLayerVideo))
        return text(QT_TRANSLATE_NOOP("JournalText", "视频控制"));
    if (step == std::to_string(kLayerAudio))
        return text(QT_TRANSLATE_NOOP("JournalText", "音频控制"));
    if (step == std::to_string(kLayerVideoAndAudio))
        return text(QT_TRANSLATE_NOOP("JournalText", "音视频控制"));
    return {};
}

// What joins the parts of a changes or details text.
QString separator() {
    return text(QT_TRANSLATE_NOOP("JournalText", "；"));
}

}  // namespace

QString ownerText(const std::string& owner) {
    if (owner == MatrixSession::kWindowOwner || owner == journal::kLocalOrigin)
        return text(QT_TRANSLATE_NOOP("JournalText", "本机操作台"));
    return toQ(owner);
}

QString journalTimeText(std::chrono::system_clock::time_point time) {
    const auto ms = std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(ms.count())
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

namespace {

struct Word {
    const char* action;
    const char* text;
};

constexpr Word kWords[] = {
    {journal::kRoute, QT_TRANSLATE_NOOP("JournalText", "切换")},
    {journal::kClose, QT_TRANSLATE_NOOP("JournalText", "关闭输出")},
    {journal::kTake, QT_TRANSLATE_NOOP("JournalText", "执行预选")},
    {journal::kMode, QT_TRANSLATE_NOOP("JournalText", "调用模式")},
    {journal::kModeSave, QT_TRANSLATE_NOOP("JournalText", "保存模式")},
    {journal::kModeDelete, QT_TRANSLATE_NOOP("JournalText", "删除模式")},
    {journal::kStatusFile, QT_TRANSLATE_NOOP("JournalText", "读入数据")},
    {journal::kUndo, QT_TRANSLATE_NOOP("JournalText", "撤销")},
    {journal::kRedo, QT_TRANSLATE_NOOP("JournalText", "重做")},
    {journal::kResend, QT_TRANSLATE_NOOP("JournalText", "重新发送")},
    {journal::kLock, QT_TRANSLATE_NOOP("JournalText", "锁定")},
    {journal::kUnlock, QT_TRANSLATE_NOOP("JournalText", "解锁")},
    {journal::kForceUnlock, QT_TRANSLATE_NOOP("JournalText", "强制解锁")},
    {journal::kLabel, QT_TRANSLATE_NOOP("JournalText", "命名")},
    {journal::kLayer, QT_TRANSLATE_NOOP("JournalText", "切换层")},
};

}  // namespace

QString journalActionText(const std::string& action) {
    for (const Word& word : kWords)
        if (action == word.action) return text(word.text);
    return toQ(action);
}

QStringList journalActionTexts() {
    QStringList texts;
    for (const Word& word : kWords)
        texts << text(word.text);
    return texts;
}

QString journalChangesText(const JournalEntry& entry) {
    const bool close = entry.action == journal::kClose;
    QStringList parts;
    for (const JournalChange& change : entry.changes) {
        parts << text(QT_TRANSLATE_NOOP("JournalText", "%1：%2 → %3"))
                     .arg(portText(QT_TRANSLATE_NOOP("JournalText", "输出%1"), change.output,
                                   change.outputName),
                          carriedText(change.from, change.fromName, change.fromKind,
                                      change.fromInputs, false),
                          carriedText(change.to, change.toName, change.toKind, change.toInputs,
                                      close));
    }
    return parts.join(separator());
}

bool journalShowsDash(const JournalEntry& entry) {
    const bool close = entry.action == journal::kClose;
    return std::any_of(entry.changes.begin(), entry.changes.end(), [&](const JournalChange& c) {
        return (c.from < 0 && c.fromKind.empty()) || (c.to < 0 && c.toKind.empty() && !close);
    });
}

QString journalDetailsText(const JournalEntry& entry) {
    QStringList parts;
    if (entry.mode)
        parts << text(QT_TRANSLATE_NOOP("JournalText", "模式：%1")).arg(toQ(*entry.mode));
    if (entry.file)
        parts << text(QT_TRANSLATE_NOOP("JournalText", "文件：%1")).arg(toQ(*entry.file));
    const QString label = entry.action == journal::kLabel ? labelText(entry) : QString();
    if (entry.port && label.isEmpty()) {
        parts << (isLockAction(entry.action)
                      ? portText(QT_TRANSLATE_NOOP("JournalText", "输出%1"), *entry.port,
                                 entry.portName)
                      : text(QT_TRANSLATE_NOOP("JournalText", "端口%1")).arg(*entry.port + 1));
    }
    if (entry.text) {
        const QString layer = entry.action == journal::kLayer ? layerText(*entry.text) : QString();
        parts << (!label.isEmpty() ? label : !layer.isEmpty() ? layer : toQ(*entry.text));
    }
    return parts.join(separator());
}

QString journalFramesText(const JournalEntry& entry) {
    QStringList frames;
    for (const std::vector<std::uint8_t>& frame : entry.frames) {
        const QByteArray bytes(reinterpret_cast<const char*>(frame.data()),
                               static_cast<qsizetype>(frame.size()));
        frames << QString::fromLatin1(bytes.toHex(' ').toUpper());
    }
    return frames.join(QStringLiteral(" | "));
}

bool journalConcernsOutput(const JournalEntry& entry, std::int32_t output) {
    for (const JournalChange& change : entry.changes)
        if (change.output == output) return true;
    if (!entry.port || *entry.port != output) return false;
    if (isLockAction(entry.action)) return true;
    return entry.action == journal::kLabel && entry.kind == journal::kOutputPort;
}

QString journalOutputItem(std::int32_t output, const std::vector<std::string>& outputNames) {
    const QString number = QString::number(output + 1);
    if (output >= 0 && static_cast<std::size_t>(output) < outputNames.size() &&
        !outputNames[static_cast<std::size_t>(output)].empty())
        return number + QLatin1Char(' ') + toQ(outputNames[static_cast<std::size_t>(output)]);
    return text(QT_TRANSLATE_NOOP("JournalText", "输出%1")).arg(number);
}

JournalRead readJournal(const std::string& configDir, std::size_t count) {
    JournalRead read;
    try {
        read.entries = Journal::readLatest(configDir, count);
    } catch (const std::exception& error) {
        // Out of memory on a file far larger than the journal ever grows.
        read.error = text(QT_TRANSLATE_NOOP("JournalText", "无法读取操作记录：%1"))
                         .arg(QString::fromLocal8Bit(error.what()));
        return read;
    }
    // readLatest skips a file it cannot read: say which, and why. The older
    // file matters only when fewer entries than asked for were found.
    read.missing = true;
    for (const char* name : {Journal::kFileName, Journal::kRotatedFileName}) {
        const QString path = pathToQ(configDir + "/" + name);
        if (!QFileInfo::exists(path)) continue;
        read.missing = false;
        QFile file(path);
        const bool needed =
            std::string_view(name) == Journal::kFileName || read.entries.size() < count;
        if (needed && !file.open(QIODevice::ReadOnly)) {
            read.error = text(QT_TRANSLATE_NOOP("JournalText", "无法读取操作记录 %1：%2"))
                             .arg(path, file.errorString());
            break;
        }
    }
    return read;
}

}  // namespace mc
