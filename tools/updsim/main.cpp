// kzo-updsim: stand-in for the maker's update server and account service on
// 127.0.0.1, for tests and manual runs. See --help.
#include "SimOptions.h"
#include "UpdateServer.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Ends the simulator with the process that started it. Checked again after
// arming, because that process may already have gone.
bool followParent(pid_t parent)
{
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0)
        return false;
    return ::getppid() == parent;
}

} // namespace

int main(int argc, char** argv)
{
    const pid_t parent = ::getppid();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kzo-updsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KZO_UPDSIM_VERSION));
    updsim::Options options;
    QString text;
    QString usage;
    switch (updsim::parseOptions(app.arguments(), options, &text, &usage)) {
    case updsim::ParseResult::Help:
    case updsim::ParseResult::Version:
        std::printf("%s\n", text.toUtf8().constData());
        return 0;
    case updsim::ParseResult::Error:
        std::fprintf(stderr, "kzo-updsim: %s\n\n%s", text.toUtf8().constData(), usage.toUtf8().constData());
        return 2;
    case updsim::ParseResult::Run:
        break;
    }
    if (options.exitWithParent && !followParent(parent))
        return 1;
    updsim::UpdateServer server(options);
    QString error;
    if (!server.listen(&error)) {
        std::fprintf(stderr, "kzo-updsim: cannot listen: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("listening: %s\n", server.baseUrl().toUtf8().constData());
    std::fflush(stdout);
    return app.exec();
}
