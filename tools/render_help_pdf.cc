// Renders the help document from its HTML source into a PDF file:
//
//   render_help_pdf SOURCE.html OUTPUT.pdf
//
// The HTML is laid out by QTextDocument on A4 pages; QTextDocument::print
// adds the page number at the foot of every page. Images referenced by the
// HTML are resolved relative to the source file's folder. The program never
// opens a window, so it runs on the offscreen platform during the build.
#include <cstdio>

#include <QtCore/QByteArray>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QString>
#include <QtCore/QUrl>
#include <QtGui/QGuiApplication>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPdfWriter>
#include <QtGui/QTextDocument>

namespace {

int Fail(const QString& message) {
  std::fprintf(stderr, "render_help_pdf: %s\n", qUtf8Printable(message));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Only a font database is needed, no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc != 3) return Fail("usage: render_help_pdf SOURCE.html OUTPUT.pdf");

  const QString sourcePath = QString::fromLocal8Bit(argv[1]);
  const QString outputPath = QString::fromLocal8Bit(argv[2]);
  QFile source(sourcePath);
  if (!source.open(QIODevice::ReadOnly)) return Fail("cannot read " + sourcePath);
  const QByteArray html = source.readAll();
  if (html.isEmpty()) return Fail(sourcePath + " is empty");

  QTextDocument document;
  document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(sourcePath).absolutePath() + "/"));
  document.setHtml(QString::fromUtf8(html));

  {
    QPdfWriter writer(outputPath);
    writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
    writer.setCreator("Talvenor");
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    // Without a page size of its own the document is paginated to the
    // writer's page, with margins of 2 cm and numbered pages.
    document.print(&writer);
  }

  const QFileInfo written(outputPath);
  if (!written.exists() || written.size() == 0) return Fail("nothing written to " + outputPath);
  return 0;
}
