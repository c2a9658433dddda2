#include "TestEnvironment.h"

#include <QDir>
#include <QFile>

TestEnvironment::TestEnvironment()
{
    setVariable("TAVRO_HOME", programFolder());
    setVariable("XDG_CONFIG_HOME", m_root.filePath(QStringLiteral("config")));
    setVariable("XDG_DATA_HOME", m_root.filePath(QStringLiteral("data")));
    setVariable("XDG_STATE_HOME", m_root.filePath(QStringLiteral("state")));
}

TestEnvironment::~TestEnvironment()
{
    for (const SavedVariable& saved : std::as_const(m_saved)) {
        if (saved.value)
            qputenv(saved.name.constData(), *saved.value);
        else
            qunsetenv(saved.name.constData());
    }
}

QString TestEnvironment::programFolder() const
{
    return m_root.filePath(QStringLiteral("program"));
}

QString TestEnvironment::programFile(const QString& name) const
{
    return QDir(programFolder()).filePath(name);
}

void TestEnvironment::setVariable(const char* name, const QString& folder)
{
    SavedVariable saved{name, std::nullopt};
    if (qEnvironmentVariableIsSet(name))
        saved.value = qgetenv(name);
    m_saved << saved;
    QDir().mkpath(folder);
    qputenv(name, QFile::encodeName(folder));
}
