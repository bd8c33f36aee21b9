#include "import/ImportHelper.h"
#include "import/helper/SandboxSelfTest.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QScopeGuard>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// The import helpers' sandbox, asked of each helper itself (the full one and the JPEG
// and PNG one): it enters the sandbox as for a decode and then makes one forbidden attempt. Each must end it
// with SIGSYS or be refused; a helper that could do it, or failed in another way, fails the row.
class SandboxTest : public QObject {
    Q_OBJECT
private slots:
    void forbiddenAttemptsFail_data();
    void forbiddenAttemptsFail();
    void helperGetsNoneOfTheEditorsEnvironment_data();
    void helperGetsNoneOfTheEditorsEnvironment();
};

namespace {

enum class Expect { Exits, KilledOrRefused, Killed, Closed, Refused, NothingThere };

// Runs the helper with the test flag, one attempt, and an inherited descriptor open on a
// file, in the given environment (empty: this process's); returns the raw wait status.
int runAttempt(const QString& helper, const QByteArray& attempt, const QByteArray& argument, int inherited,
               QByteArrayList environment)
{
    const QByteArray program = QFile::encodeName(helper);
    QByteArrayList args{program, SandboxSelfTest::Flag, attempt};
    if (!argument.isEmpty())
        args << argument;
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, inherited, inherited + 1);
    std::vector<char*> envp;
    for (QByteArray& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(),
                                    environment.isEmpty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

void SandboxTest::forbiddenAttemptsFail_data()
{
    QTest::addColumn<QString>("helper");
    QTest::addColumn<QByteArray>("attempt");
    QTest::addColumn<int>("expect");
    QTest::addColumn<QByteArrayList>("environment");
    for (const auto& [name, helper] : {std::pair{"full", ImportHelper::defaultProgram()},
                                       std::pair{"JPEG and PNG", ImportHelper::fastProgram()}}) {
        auto row = [&, name = name, helper = helper](const char* what, const char* attempt, Expect expect,
                                                     QByteArrayList environment = {}) {
            QTest::addRow("%s: %s", name, what)
                << helper << QByteArray(attempt) << int(expect) << environment;
        };
        row("nothing forbidden: the helper exits", "nothing", Expect::Exits);
        for (const char* attempt :
             {"open", "socket", "execve", "fork", "ptrace", "connect", "write", "exec-memory"})
            row(attempt, attempt, Expect::KilledOrRefused);
        row("inherited descriptor is closed", "inherited", Expect::Closed);
        // A path looked up by the call fstat is made of; the descriptor form still works.
        row("stat by path", "stat", Expect::KilledOrRefused);
        row("fstat of a descriptor", "fstat", Expect::Exits);
        // Refused by the filter, not by the kernel: flags a thread has no use for.
        row("a thread in a new network namespace", "clone-namespace", Expect::Killed);
        row("capabilities", "capabilities", Expect::Exits);
        // glibc's texts would come from a catalogue file in this locale and language.
        row("strerror in German", "strerror", Expect::Exits, {"LC_ALL=C.UTF-8", "LANGUAGE=de"});
        // Where the kernel refuses namespaces the filter alone keeps paths out.
        row("without namespaces: stat by path", "plain-stat", Expect::KilledOrRefused);
        row("without namespaces: fstat", "plain-fstat", Expect::Exits);
        row("without namespaces: capabilities", "plain-capabilities", Expect::Exits);
        // The fences on their own, each behind the filter: the empty root of the helper's
        // own namespaces, and Landlock.
        row("empty root alone: open", "root-open", Expect::NothingThere);
        row("Landlock alone: open", "landlock-open", Expect::Refused);
        row("Landlock alone: write", "landlock-write", Expect::Refused);
    }
}

void SandboxTest::forbiddenAttemptsFail()
{
    QFETCH(QString, helper);
    QFETCH(QByteArray, attempt);
    QFETCH(int, expect);
    QFETCH(QByteArrayList, environment);
    const QString newFile = TestSupport::tempPath(QStringLiteral("written-by-helper"));
    QFile::remove(newFile);
    QFile secret(TestSupport::tempPath(QStringLiteral("secret")));
    QVERIFY(secret.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(secret.write("secret") == 6);
    secret.close();
    QVERIFY(secret.open(QIODevice::ReadOnly));
    // The copy the helper inherits, one above the file's own close-on-exec descriptor.
    const int inherited = secret.handle();
    QByteArray argument;
    if (attempt.endsWith("write"))
        argument = QFile::encodeName(newFile);
    else if (attempt == "inherited")
        argument = QByteArray::number(inherited + 1);

    const int status = runAttempt(helper, attempt, argument, inherited, environment);
    QVERIFY2(status != -1, "the helper could not be started");
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const QByteArray how = killed                ? QByteArray("killed by SIGSYS")
                           : WIFSIGNALED(status) ? "killed by signal " + QByteArray::number(WTERMSIG(status))
                                                 : "exit code " + QByteArray::number(code);
    switch (Expect(expect)) {
    case Expect::Exits:
        QVERIFY2(code == SandboxSelfTest::Entered, how.constData());
        break;
    case Expect::KilledOrRefused:
        QVERIFY2(killed || code == SandboxSelfTest::Refused, how.constData());
        break;
    case Expect::Killed:
        QVERIFY2(killed, how.constData());
        break;
    case Expect::NothingThere:
        if (code == SandboxSelfTest::NoNamespaces)
            QSKIP("the kernel gives the helper no namespaces of its own");
        QVERIFY2(code == SandboxSelfTest::Missing, how.constData());
        break;
    case Expect::Refused:
        if (code == SandboxSelfTest::NoLandlock)
            QSKIP("the kernel has no Landlock");
        QVERIFY2(code == SandboxSelfTest::Refused, how.constData());
        break;
    case Expect::Closed:
        QVERIFY2(code == SandboxSelfTest::Closed, how.constData());
        break;
    }
    QVERIFY(!QFile::exists(newFile));
}

void SandboxTest::helperGetsNoneOfTheEditorsEnvironment_data()
{
    QTest::addColumn<QString>("helper");
    QTest::newRow("full") << ImportHelper::defaultProgram();
    QTest::newRow("JPEG and PNG") << ImportHelper::fastProgram();
}

// Started as the editor starts it for a decode, a helper sees only its fixed environment,
// whatever the editor's holds.
void SandboxTest::helperGetsNoneOfTheEditorsEnvironment()
{
    QFETCH(QString, helper);
    qputenv("PICTORIA_TEST_SECRET", "hunter2");
    const auto forget = qScopeGuard([] { qunsetenv("PICTORIA_TEST_SECRET"); });
    const QString picture = TestSupport::tempPath(QStringLiteral("any.bin"));
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
    file.close();
    ImportHelper::Settings settings;
    settings.program = helper;
    settings.arguments = {QString::fromLatin1(SandboxSelfTest::Flag), QStringLiteral("environment")};
    const ImportHelper::Run run = ImportHelper::decode(picture, settings);
    QVERIFY2(run.status != ImportHelper::Status::NotStarted && run.status != ImportHelper::Status::TimedOut,
             qPrintable(run.detail));
    QCOMPARE(run.exitCode, int(SandboxSelfTest::Entered));
}

QTEST_GUILESS_MAIN(SandboxTest)
#include "tst_sandbox.moc"
