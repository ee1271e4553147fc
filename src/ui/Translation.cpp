#include "ui/Translation.h"

#include <QString>
#include <QTranslator>

#include "text/Text.h"

namespace mc {

namespace {

const QString kEnglish = QStringLiteral(":/i18n/matrix-control_en.qm");

QTranslator*& installed() {
    static QTranslator* translator = nullptr;
    return translator;
}

}  // namespace

bool installLanguage(QCoreApplication& app, Language language) {
    removeLanguage(app);
    if (language == Language::Chinese) return true;
    auto* translator = new QTranslator(&app);
    if (!translator->load(kEnglish) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed() = translator;
    setTranslator([](const char* context, const char* text) {
        return QCoreApplication::translate(context, text).toStdString();
    });
    return true;
}

bool speaksEnglish() {
    return installed() != nullptr;
}

void removeLanguage(QCoreApplication& app) {
    (void)app;
    setTranslator({});
    if (QTranslator* translator = installed()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        installed() = nullptr;
    }
}

}  // namespace mc
