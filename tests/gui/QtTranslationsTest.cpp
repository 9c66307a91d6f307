#include "gui/QtTranslations.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

namespace zentu {

class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void standardButtonsSpeakJapaneseWhateverTheSystemLanguage() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        if (!InstallQtTranslations()) {
            QSKIP("qtbase_ja.qm is not installed (Debian: qt6-translations-l10n): Qt's own texts stay English");
        }
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::No);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QVERIFY(buttons.button(QDialogButtonBox::Yes)->text().startsWith(QStringLiteral("はい")));
        QVERIFY(buttons.button(QDialogButtonBox::No)->text().startsWith(QStringLiteral("いいえ")));
    }
};

} // namespace zentu

QTEST_MAIN(zentu::QtTranslationsTest)
#include "QtTranslationsTest.moc"
