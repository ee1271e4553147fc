// The password rules: key derivations run off the event loop with a bound
// on the work in flight, and a blocked address stays blocked.

#include "web/PasswordCheck.h"
#include "web/PasswordHash.h"
#include "web/WebAuth.h"
#include "web/WebTestUtil.h"

namespace mc::web {
namespace {

QByteArray basic(const char* credentials) {
    return "Basic " + QByteArray(credentials).toBase64();
}

TEST_F(WebServerTest, PasswordsAreCheckedOffTheEventLoopAndPastTheBoundRefusedAtOnce) {
    server.setPasswordHash(makePasswordHash(QStringLiteral("s3cret"), 30000));
    const QByteArray wrong = "Authorization: " + basic("operator:guess") + "\r\n";
    std::vector<std::unique_ptr<RawClient>> guesses;
    for (int k = 1; k <= 40; ++k) {
        const std::string from = "127.0.1." + std::to_string(k);
        guesses.push_back(std::make_unique<RawClient>(server.listenPort(), 0, from.c_str()));
        guesses.back()->send(get("/api/v1/state", wrong));
    }
    RawClient panel(server.listenPort());
    panel.send(get("/favicon.ico"));
    ASSERT_TRUE(panel.answers(1).startsWith("HTTP/1.1 204"));
    const auto count = [&](const char* status) {
        int n = 0;
        for (auto& guess : guesses)
            n += guess->read().startsWith(QByteArray("HTTP/1.1 ") + status);
        return n;
    };
    EXPECT_LE(count("401"), 4) << "the panel was answered while the passwords were checked";

    ASSERT_TRUE(waitUntil([&] { return count("401") + count("503") == 40; }, 60000));
    EXPECT_GE(count("503"), 40 - PasswordCheck::kRunning - PasswordCheck::kWaiting);
    EXPECT_GE(count("401"), PasswordCheck::kRunning + 1);
}

TEST(WebAuthBlock, ABlockedAddressStaysBlockedWhateverOthersDoAndAFullTableRefuses) {
    WebAuth auth;
    auth.setPasswordHash(makePasswordHash(QStringLiteral("pw"), 1000));
    const auto now = WebAuth::Clock::now();
    WebAuth::Attempt attempt;
    const QByteArray wrongUser = basic("admin:pw");
    for (int k = 0; k < WebAuth::kMaxFailures; ++k)
        EXPECT_EQ(auth.check(wrongUser, {}, QStringLiteral("10.0.0.1"), now, attempt),
                  WebAuth::Verdict::Wrong);
    EXPECT_EQ(auth.check(basic("operator:pw"), {}, QStringLiteral("10.0.0.1"), now, attempt),
              WebAuth::Verdict::Blocked)
        << "wrong user names count";

    int full = 0;
    for (int k = 0; k < 1030; ++k) {
        const QString from = QStringLiteral("10.1.%1.%2").arg(k / 256).arg(k % 256);
        full += auth.check(wrongUser, {}, from, now, attempt) == WebAuth::Verdict::Full;
    }
    EXPECT_EQ(full, 1030 - static_cast<int>(WebAuth::kMaxAddresses - 1));
    EXPECT_EQ(auth.check(basic("operator:pw"), {}, QStringLiteral("10.0.0.1"),
                         now + WebAuth::kBlockTime - std::chrono::seconds(1), attempt),
              WebAuth::Verdict::Blocked);
    EXPECT_NE(auth.check(basic("operator:pw"), {}, QStringLiteral("10.0.0.1"),
                         now + WebAuth::kBlockTime, attempt),
              WebAuth::Verdict::Blocked)
        << "its 30 s are over";
}

}  // namespace
}  // namespace mc::web
