// The column beside the output names: what each output on the page carries,
// as the line has it, whichever page of inputs the grid shows.

#include <QPalette>

#include "control/SwitchingLayer.h"
#include "ui/ElidedLabel.h"
#include "ui/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

using MatrixFormRoutes = MatrixFormTest;

TEST_F(MatrixFormRoutes, SayWhatEachOutputCarriesOnTheLayerShownAndWhatIsLastKnown) {
    openNamedModel();  // input 50 "Camera 5" sits on the fourth page of inputs
    const auto label = [&](int row) {
        return child<ElidedLabel>(*form, QStringLiteral("OutputRouteLabel%1").arg(row));
    };
    ASSERT_TRUE(session->chooseLayer(kLayerVideoAndAudio));
    EXPECT_EQ(label(4)->text(), QStringLiteral("—"));
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 4, 49));
    EXPECT_EQ(label(4)->text(), QStringLiteral("50 Camera 5"));
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 5, -1));
    EXPECT_EQ(label(5)->text(), QStringLiteral("关闭"));
    ASSERT_TRUE(session->clickBox(0, 2, true));
    ASSERT_TRUE(session->clickBox(0, 3, true));
    EXPECT_EQ(label(0)->text(), QStringLiteral("循环 3、4"));

    ASSERT_TRUE(session->routeOutput("127.0.0.2", 4, 1, RouteLayer::Audio));
    EXPECT_EQ(label(4)->text(), QStringLiteral("视频 50 Camera 5 / 音频 2"));
    ASSERT_TRUE(session->chooseLayer(kLayerAudio));
    EXPECT_EQ(label(4)->text(), QStringLiteral("2"));
    ASSERT_TRUE(session->chooseLayer(kLayerVideo));
    EXPECT_EQ(label(4)->text(), QStringLiteral("50 Camera 5"));
    EXPECT_EQ(label(4)->foregroundRole(), QPalette::WindowText);

    // After a restart: grey, with the time it was sent, until sent again.
    frames();  // sent
    form.reset();
    session->close();
    open();
    EXPECT_EQ(label(4)->text(), QStringLiteral("50 Camera 5"));
    EXPECT_EQ(label(4)->foregroundRole(), QPalette::PlaceholderText);
    EXPECT_TRUE(label(4)->toolTip().startsWith(QStringLiteral("上次运行时发送，")))
        << label(4)->toolTip().toStdString();
    session->resendCurrentState();
    EXPECT_EQ(label(4)->foregroundRole(), QPalette::WindowText);
    EXPECT_EQ(label(4)->text(), QStringLiteral("50 Camera 5"));
}

}  // namespace
}  // namespace mc::test
