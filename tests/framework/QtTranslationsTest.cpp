#include "framework/QtTranslations.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>

TEST(QtTranslations, QtsOwnDialogsAndMenusSpeakJapanese)
{
    ASSERT_TRUE(installJapaneseQtTranslations()) << "Qt's Japanese translation (qt6-translations-l10n) is not installed";
    struct Text {
        const char *context, *source;
    };
    // The save chooser, its overwrite question, and a text field's edit menu.
    const Text texts[] = {{"QFileDialog", "%1 already exists.\nDo you want to replace it?"},
                          {"QFileDialog", "File &name:"},
                          {"QFileDialog", "Files of type:"},
                          {"QLineEdit", "&Copy"},
                          {"QLineEdit", "Select All"}};
    for (const Text &t : texts) {
        const QString translated = QCoreApplication::translate(t.context, t.source);
        EXPECT_NE(translated, QString::fromUtf8(t.source)) << t.source;
        bool japanese = false;
        for (QChar c : translated) japanese = japanese || c.unicode() >= 0x3000;
        EXPECT_TRUE(japanese) << translated.toStdString();
    }
    // The standard buttons of Qt's own boxes.
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
}
