// "File, New template from applet...": a template written from an applet's class files, opened at
// once so the user can rename captions and pages and save it into the template tree.

#include "tag/Scaffold.h"
#include "ui/Main.h"
#include "views/Dialogs.h"

#include <QFile>
#include <QStringList>

#include <filesystem>

namespace zarn {

namespace {

const char* const AppletFilter =
    "Java archives and class files (*.jar;*.class)|*.jar;*.class|Java archives (*.jar)|*.jar|"
    "Class files (*.class)|*.class";

std::string fileSystemName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString shownFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

void TMainForm::FileScaffoldItemClick() {
    Guarded([this] {
        TFileRequest request{QStringLiteral("New template from applet"), shownFileName(TemplatesFolder()),
                             QLatin1String(AppletFilter), QString()};
        const std::optional<QString> chosen = Dialogs().OpenFileName(request);
        if (!chosen || chosen->isEmpty())
            return;
        const TAppletSource source = ReadAppletSource(ScaffoldSourceFor(fileSystemName(*chosen)));
        std::string className;
        if (source.applets.size() > 1) {
            QStringList items;
            for (const TFoundApplet& applet : source.applets)
                items << QString::fromStdString(applet.name) +
                             QStringLiteral(" (%1)").arg(applet.params.size());
            const std::optional<int> index = Dialogs().Item(QStringLiteral("New template from applet"),
                                                            QStringLiteral("Applet class:"), items);
            if (!index)
                return;
            className = source.applets[std::size_t(*index)].name;
        }
        const TFoundApplet& applet = ChooseApplet(source, className);
        const std::string simpleName = applet.name.substr(applet.name.rfind('.') + 1);
        TFileRequest save{
            QStringLiteral("Save new template as"),
            shownFileName((std::filesystem::path(TemplatesFolder()) / (simpleName + ".zrt")).string()),
            QStringLiteral("Templates (*.zrt)|*.zrt"), QStringLiteral("zrt")};
        const std::optional<QString> target = Dialogs().SaveFileName(save);
        if (!target || target->isEmpty())
            return;
        // The save dialog has asked before replacing.
        WriteTemplate(source, applet, fileSystemName(*target), true);
        LoadDocument(fileSystemName(*target));
    });
}

} // namespace zarn
