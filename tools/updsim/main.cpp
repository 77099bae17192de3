// kzo-updsim: stand-in for the maker's update server and account service on
// 127.0.0.1, for tests and manual runs. See --help.
#include "SimOptions.h"
#include "UpdateServer.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

int main(int argc, char** argv)
{
    // A simulator never outlives whoever started it: a test that crashed or a
    // script that was killed must not leave it running.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kzo-updsim"));
    updsim::Options options;
    QString error;
    if (!updsim::parseOptions(app.arguments(), options, &error)) {
        std::fprintf(stderr, "kzo-updsim: %s\n", error.toUtf8().constData());
        return 2;
    }
    updsim::UpdateServer server(options);
    if (!server.listen(&error)) {
        std::fprintf(stderr, "kzo-updsim: cannot listen: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("listening: %s\n", server.baseUrl().toUtf8().constData());
    std::fflush(stdout);
    return app.exec();
}
