// Turns the manual's Markdown into a PDF on A4 paper:
//   mkmanual handbuch.md handbuch.pdf
// Pictures named in the Markdown are found relative to the Markdown file and
// scaled down to the width of the text; pages are numbered at their foot.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>

#include <cstdio>

namespace {

// The text width of an A4 page with the margins QTextDocument::print uses
// (2 cm on each side), in the 96 dpi units of the document layout.
constexpr double kTextWidth = (210.0 - 40.0) / 25.4 * 96.0;

int fail(const QString& message)
{
    std::fprintf(stderr, "mkmanual: %s\n", qPrintable(message));
    return 1;
}

// Loads every picture the document names into its resources, scaled to the
// text width when wider; returns the names that could not be read.
QStringList loadPictures(QTextDocument& document, const QString& baseFolder)
{
    QStringList missing;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString name = format.name();
            QImage image(QFileInfo(name).isAbsolute() ? name : baseFolder + QLatin1Char('/') + name);
            if (image.isNull()) {
                missing << name;
                continue;
            }
            // A thin frame sets a window's picture off from the white page.
            image = image.convertToFormat(QImage::Format_RGB32);
            {
                QPainter painter(&image);
                painter.setPen(QColor(150, 150, 150));
                painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
            }
            document.addResource(QTextDocument::ImageResource, QUrl(name), image);
            const double width = std::min<double>(image.width(), kTextWidth);
            format.setWidth(width);
            format.setHeight(image.height() * width / image.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return missing;
}

// Air between paragraphs and above headings, room in table cells: the
// Markdown import sets none of it.
void setSpacing(QTextDocument& document)
{
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.headingLevel() > 0) {
            format.setTopMargin(format.headingLevel() == 1 ? 0 : 14);
            format.setBottomMargin(6);
            format.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        } else if (!block.textList()) {
            format.setBottomMargin(6);
        } else {
            format.setBottomMargin(2);
        }
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QTextTableFormat format = table->format();
            format.setCellPadding(3);
            format.setCellSpacing(0);
            format.setBorder(1);
            format.setBorderCollapse(true);
            format.setBorderBrush(QColor(150, 150, 150));
            format.setBottomMargin(8);
            table->setFormat(format);
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // A build step: no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return fail(QStringLiteral("usage: mkmanual INPUT.md OUTPUT.pdf"));

    QFile source(args.at(1));
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(args.at(1)));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setMarkdown(QString::fromUtf8(source.readAll()), QTextDocument::MarkdownDialectGitHub);
    setSpacing(document);
    const QStringList missing = loadPictures(document, QFileInfo(args.at(1)).absolutePath());
    if (!missing.isEmpty())
        return fail(QStringLiteral("pictures not found: %1").arg(missing.join(QStringLiteral(", "))));

    const QString target = args.at(2);
    const QString partial = target + QStringLiteral(".partial");
    {
        QPdfWriter writer(partial);
        writer.setTitle(document.toPlainText().section(QLatin1Char('\n'), 0, 0));
        writer.setCreator(QStringLiteral("Tramora"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        // No margins of its own: the document then gets 2 cm all round and
        // page numbers at the foot.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        document.print(&writer);
    }
    if (QFileInfo(partial).size() == 0)
        return fail(QStringLiteral("cannot write %1").arg(partial));
    QFile::remove(target);
    if (!QFile::rename(partial, target))
        return fail(QStringLiteral("cannot write %1").arg(target));
    return 0;
}
