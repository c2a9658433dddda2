#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// A fresh temporary folder per test: TAVRO_HOME (the program folder) and the XDG config
// and data folders point inside it. The environment is restored when it goes.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    bool isValid() const { return m_root.isValid(); }
    QString rootPath() const { return m_root.path(); }
    QString programFolder() const;
    // A file in the program folder (tavro.ini, F5.dat ...).
    QString programFile(const QString& name) const;

private:
    struct SavedVariable {
        QByteArray name;
        std::optional<QByteArray> value;
    };
    void setVariable(const char* name, const QString& folder);

    QTemporaryDir m_root;
    QList<SavedVariable> m_saved;
};
