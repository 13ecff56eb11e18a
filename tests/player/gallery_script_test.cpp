// The index's script twin: its text must evaluate back to the index byte for byte in a real script
// engine, and writing it must never lose the twin that is there.
#include "platform/player/gallery_script.h"
#include "platform/player/index_attributes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using murano::player::galleryScriptFor;
using murano::player::galleryScriptPathFor;
using murano::player::writeGalleryScript;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Runs the twin in node and returns the string it assigned, as UTF-8.
QByteArray evaluateInNode(const QByteArray& script) {
    QProcess node;
    node.start(
        QStringLiteral("node"),
        {QStringLiteral("-e"),
         QStringLiteral("let s='';process.stdin.on('data',d=>s+=d).on('end',()=>{"
                        "const window={};eval(s);process.stdout.write(window.muranoGallery)})")});
    if (!node.waitForStarted()) {
        return "node did not start";
    }
    node.write(script);
    node.closeWriteChannel();
    node.waitForFinished(20000);
    return node.readAllStandardOutput();
}

const QByteArray kAwkwardIndex =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<gallery book_title=\"Tom &amp; \\\"Jerry\\\" </script><script>alert(1)</script>\" "
    "description=\"line\r\nbreak\ttab \xe2\x80\xa8 sep \xe2\x80\xa9 para \xe4\xb8\xad\xe6\x96\x87 "
    "\xf0\x9f\x98\x80 <!-- ${x} `q` '\" >\n"
    "\t<img src=\"0.jpg\" width=\"960\" height=\"720\" />\n"
    "</gallery>\n";

} // namespace

TEST(GalleryScript, TextIsPureAsciiAndCannotCloseTheScriptOrBreakLines) {
    const QByteArray script = galleryScriptFor(kAwkwardIndex);
    EXPECT_TRUE(script.startsWith("window.muranoGallery = \""));
    EXPECT_TRUE(script.endsWith("\";\n"));
    EXPECT_EQ(script.count('\n'), 1);
    EXPECT_EQ(script.count('\r'), 0);
    for (const char c : script) {
        EXPECT_TRUE(static_cast<unsigned char>(c) < 0x7f) << "non-ASCII byte in the twin";
    }
    EXPECT_FALSE(script.contains("</script"));
    EXPECT_FALSE(script.contains("<!--"));
}

TEST(GalleryScript, EvaluatesBackToTheIndexByteForByte) {
    EXPECT_EQ(evaluateInNode(galleryScriptFor(kAwkwardIndex)), kAwkwardIndex);
    EXPECT_EQ(evaluateInNode(galleryScriptFor(QByteArray())), QByteArray());
}

TEST(GalleryScript, WritesTheTwinBesideTheIndexAndReplacesAnOldOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString index = dir.filePath(QStringLiteral("images.xml"));
    EXPECT_EQ(galleryScriptPathFor(index), dir.filePath(QStringLiteral("images.js")));

    writeAll(index, "<gallery >\n</gallery>\n");
    writeAll(galleryScriptPathFor(index), "stale");
    ASSERT_TRUE(writeGalleryScript(index));
    EXPECT_EQ(readAll(galleryScriptPathFor(index)), galleryScriptFor("<gallery >\n</gallery>\n"));
}

TEST(GalleryScript, MissingIndexOrUnwritableFolderKeepsTheOldTwin) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString index = dir.filePath(QStringLiteral("images.xml"));
    writeAll(galleryScriptPathFor(index), "old twin");
    EXPECT_FALSE(writeGalleryScript(index));
    EXPECT_EQ(readAll(galleryScriptPathFor(index)), "old twin");

    EXPECT_FALSE(writeGalleryScript(dir.filePath(QStringLiteral("no-such-folder/images.xml"))));
}

TEST(GalleryScript, TemplateTwinMatchesTheTemplateIndex) {
    const QString flash = QStringLiteral(MURANO_BIN_DIR "/flash/xml/");
    const QByteArray index = readAll(flash + QStringLiteral("images.xml"));
    ASSERT_FALSE(index.isEmpty());
    EXPECT_EQ(readAll(flash + QStringLiteral("images.js")), galleryScriptFor(index));
}

TEST(GalleryScript, TemplateIndexHoldsEverySettingOnLineTwo) {
    // The program keeps line 1, rewrites line 2 and writes image lines from line 3 on.
    const QByteArray index = readAll(QStringLiteral(MURANO_BIN_DIR "/flash/xml/images.xml"));
    ASSERT_TRUE(index.endsWith("\n"));
    const QList<QByteArray> lines = index.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("<?xml "));
    EXPECT_TRUE(lines[1].startsWith("<gallery ") && lines[1].endsWith(" >"));
    EXPECT_EQ(lines[2], "</gallery>");
    // Every attribute the player reads, in the program's order; the template's values are the
    // player's own defaults, but for its background picture.
    qsizetype at = 0;
    for (const auto& attribute : murano::player::kIndexAttributes) {
        QByteArray text = QByteArray(attribute.name) + "=\"";
        if (attribute.id != murano::player::IndexAttributeId::Background) {
            text += QByteArray(attribute.playerDefault) + "\" ";
        }
        const qsizetype found = lines[1].indexOf(text, at);
        EXPECT_GT(found, at) << attribute.name << " missing, out of order or not the default";
        at = std::max(at, found);
    }
}
