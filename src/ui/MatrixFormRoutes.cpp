// TMatrixForm: the column right of the output name fields that says what
// each output on the page carries, as the line has it, whichever page of
// inputs the grid shows. The table shown is the one the layer buttons name
// (video for 视频控制 and 音视频控制, audio for 音频控制, the one table in
// pattern mode); under 音视频控制 an output whose audio differs shows both.
// An entry the program sent before its last start and not since is grey,
// with the time it was sent in its tooltip.

#include <QDateTime>
#include <QGroupBox>
#include <QLineEdit>
#include <QStringList>

#include "control/SwitchingLayer.h"
#include "ui/ElidedLabel.h"
#include "ui/MatrixFormSupport.h"
#include "ui/QXRMainControl.h"

namespace mc {

namespace {

constexpr int kRouteLabelWidth = 150;

// "40 Camera", "关闭", "循环 3、4" or "—"; inputs one-based.
QString carriedText(const Carried& carried, const CrosspointState& state) {
    switch (carried.kind) {
        case Carried::Kind::Input: {
            const QString number = QString::number(carried.input + 1);
            const auto& names = state.InputNames();
            const auto index = static_cast<std::size_t>(carried.input);
            if (index < names.size() && !names[index].empty())
                return QStringLiteral("%1 %2").arg(number, toQ(names[index]));
            return number;
        }
        case Carried::Kind::Closed:
            return TMatrixForm::tr("关闭");
        case Carried::Kind::Cycle: {
            QStringList inputs;
            for (const std::int32_t input : carried.inputs)
                inputs << QString::number(input + 1);
            return TMatrixForm::tr("循环 %1").arg(inputs.join(TMatrixForm::tr("、")));
        }
        case Carried::Kind::Unknown:
            break;
    }
    return QStringLiteral("—");
}

QString sentBeforeHint(const LineEntry& entry) {
    const QString time =
        QDateTime::fromMSecsSinceEpoch(entry.changedAt).toString(QStringLiteral("HH:mm:ss"));
    return TMatrixForm::tr("上次运行时发送，%1").arg(time);
}

}  // namespace

void TMatrixForm::createRouteLabels() {
    const auto rows = static_cast<std::size_t>(m_page->visibleRows());
    OutputRouteLabels.resize(rows);
    for (std::size_t r = 0; r < rows; ++r) {
        auto* label = new ElidedLabel(GroupBox);
        label->setObjectName(QStringLiteral("OutputRouteLabel%1").arg(r));
        label->resize(kRouteLabelWidth, OutputNameEdits[r]->height());
        OutputRouteLabels[r] = label;
    }
}

void TMatrixForm::freeRouteLabels() {
    for (ElidedLabel* label : OutputRouteLabels)
        delete label;
    OutputRouteLabels.clear();
}

void TMatrixForm::applyRouteLabels() {
    for (std::size_t r = 0; r < OutputRouteLabels.size(); ++r)
        applyRouteLabel(static_cast<std::int32_t>(r));
}

void TMatrixForm::applyRouteLabelOf(std::int32_t output) {
    const std::int32_t r = screenRowOf(output);
    if (r >= 0 && r < static_cast<std::int32_t>(OutputRouteLabels.size())) applyRouteLabel(r);
}

void TMatrixForm::applyRouteLabel(std::int32_t row) {
    ElidedLabel* label = OutputRouteLabels[static_cast<std::size_t>(row)];
    const std::optional<std::int32_t> output = m_page->outputAt(row);
    label->setVisible(output.has_value());
    if (!output) return;
    const Line& line = m_session.line();
    const CrosspointState& state = m_session.state();
    const LineEntry& shown = line.entry(m_session.operatorTable(), *output);
    QString text = carriedText(shown.carried, state);
    bool lastKnown = shown.lastKnown;
    const LineEntry* sent = shown.lastKnown ? &shown : nullptr;
    if (!line.pattern() && m_session.layer().checked == kLayerVideoAndAudio) {
        const LineEntry& audio = line.entry(LineLayer::Audio, *output);
        if (audio.carried != shown.carried) {
            text = tr("视频 %1 / 音频 %2").arg(text, carriedText(audio.carried, state));
            lastKnown = lastKnown || audio.lastKnown;
            if (sent == nullptr && audio.lastKnown) sent = &audio;
        }
    }
    const QString hint = sent != nullptr ? sentBeforeHint(*sent) : text;
    if (label->text() != text || label->toolTip() != hint) {
        label->setText(text);
        label->setToolTip(hint);
    }
    label->setAccessibleName(tr("输出 %1 的当前输入").arg(*output + 1));
    label->setAccessibleDescription(sent != nullptr ? hint : QString());
    // Grey: sent before the last start, not since.
    label->setForegroundRole(lastKnown ? QPalette::PlaceholderText : QPalette::WindowText);
}

}  // namespace mc
