#include "settings_files.h"

#include "error_report.h"
#include "file_chooser.h"
#include "mainform1.h"
#include "profile.h"

#include <QCoreApplication>
#include <QStringList>

#include <exception>

namespace qv {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("SettingsFiles", text);
}

QString profileFilter()
{
    return tr("Instrument profiles (*.json);;All files (*)");
}

// Every problem on a line of its own, so one report names all the fields at fault.
QString problemList(const QList<ProfileError>& problems)
{
    QStringList lines{tr("These settings cannot be saved; nothing was written:")};
    for (const ProfileError& problem : problems)
        lines.append(QString::fromUtf8(problem.what()));
    return lines.join('\n');
}

} // namespace

void saveSettingsAs(Tmainform1& form)
{
    const QString path =
        chooseFile(&form, FileChoice::Save, tr("Save Settings As"), profileFilter());
    if (path.isEmpty())
        return;
    Profile profile;
    profile.settings = fromFieldSnapshot(form.fields());
    const QList<ProfileError> problems = settingsProblems(profile.settings, path);
    if (!problems.isEmpty()) {
        reportError(&form, problemList(problems));
        return;
    }
    try {
        saveProfile(profile, path);
    } catch (const std::exception& failure) {
        reportError(&form, QString::fromUtf8(failure.what()));
    }
}

void loadSettings(Tmainform1& form)
{
    const QString path = chooseFile(&form, FileChoice::Open, tr("Load Settings"), profileFilter());
    if (path.isEmpty())
        return;
    Profile profile;
    try {
        profile = loadProfile(path);
    } catch (const std::exception& failure) {
        reportError(&form, QString::fromUtf8(failure.what()));
        return;
    }
    form.setFields(toFieldSnapshot(profile.settings));
}

} // namespace qv
