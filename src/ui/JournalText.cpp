#include "ui/JournalText.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <exception>
#include <string_view>

#include "control/MatrixSession.h"
#include "control/SwitchingLayer.h"
#include "ui/MatrixFormSupport.h"

namespace mc {

namespace {

// How a label step's text begins for an input and for an output.
constexpr std::string_view kInputLabel = "input: ";
constexpr std::string_view kOutputLabel = "output: ";

bool isLockAction(const std::string& action) {
    return action == journal::kLock || action == journal::kUnlock ||
           action == journal::kForceUnlock;
}

QString text(const char* source) {
    return QCoreApplication::translate("JournalText", source);
}

// "输出3", or "输出3（主屏）" when the port has a name in `names`; `kind` is
// the text of the bare port ("输出%1").
QString portText(const char* kind, std::int32_t port, const std::vector<std::string>& names) {
    const QString bare = text(kind).arg(port + 1);
    if (port >= 0 && static_cast<std::size_t>(port) < names.size() &&
        !names[static_cast<std::size_t>(port)].empty())
        return text(QT_TRANSLATE_NOOP("JournalText", "%1（%2）"))
            .arg(bare, toQ(names[static_cast<std::size_t>(port)]));
    return bare;
}

QString inputText(std::int32_t input, bool closed, const JournalPortNames& names) {
    if (input >= 0)
        return portText(QT_TRANSLATE_NOOP("JournalText", "输入%1"), input, names.inputs);
    return closed ? text(QT_TRANSLATE_NOOP("JournalText", "关闭")) : QStringLiteral("—");
}

// The text of a label step: "输入3 命名为“摄像机”"; empty for a text of
// another shape.
QString labelText(std::int32_t port, const std::string& step) {
    const bool input = step.starts_with(kInputLabel);
    if (!input && !step.starts_with(kOutputLabel)) return {};
    const QString name = toQ(step.substr((input ? kInputLabel : kOutputLabel).size()));
    const QString which = (input ? text(QT_TRANSLATE_NOOP("JournalText", "输入%1"))
                                 : text(QT_TRANSLATE_NOOP("JournalText", "输出%1")))
                              .arg(port + 1);
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

QString journalActionText(const std::string& action) {
    struct Word {
        const char* action;
        const char* text;
    };
    static constexpr Word kWords[] = {
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
    for (const Word& word : kWords)
        if (action == word.action) return text(word.text);
    return toQ(action);
}

QString journalChangesText(const JournalEntry& entry, const JournalPortNames& names) {
    const bool close = entry.action == journal::kClose;
    QStringList parts;
    for (const JournalChange& change : entry.changes) {
        parts << text(QT_TRANSLATE_NOOP("JournalText", "%1：%2 → %3"))
                     .arg(portText(QT_TRANSLATE_NOOP("JournalText", "输出%1"), change.output,
                                   names.outputs),
                          inputText(change.from, false, names), inputText(change.to, close, names));
    }
    return parts.join(separator());
}

QString journalDetailsText(const JournalEntry& entry, const JournalPortNames& names) {
    QStringList parts;
    if (entry.mode)
        parts << text(QT_TRANSLATE_NOOP("JournalText", "模式：%1")).arg(toQ(*entry.mode));
    if (entry.file)
        parts << text(QT_TRANSLATE_NOOP("JournalText", "文件：%1")).arg(toQ(*entry.file));
    const QString label = entry.action == journal::kLabel && entry.port && entry.text
                              ? labelText(*entry.port, *entry.text)
                              : QString();
    if (entry.port && label.isEmpty()) {
        parts << (isLockAction(entry.action)
                      ? portText(QT_TRANSLATE_NOOP("JournalText", "输出%1"), *entry.port,
                                 names.outputs)
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
    return entry.action == journal::kLabel && entry.text && entry.text->starts_with(kOutputLabel);
}

QString journalOutputItem(std::int32_t output, const JournalPortNames& names) {
    const QString number = QString::number(output + 1);
    if (output >= 0 && static_cast<std::size_t>(output) < names.outputs.size() &&
        !names.outputs[static_cast<std::size_t>(output)].empty())
        return number + QLatin1Char(' ') + toQ(names.outputs[static_cast<std::size_t>(output)]);
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
