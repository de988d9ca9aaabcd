#include "main/SystemQueues.h"

QueueServices systemQueueServices() {
    return {systemStateFiles(), systemProcessTable(), [] { return makeSystemSpooler(); }};
}

void restoreQueuesAtStart(EventLog& log, const ReplayReport& echo) {
    restoreQueuesOfEndedRuns(systemQueueServices(), log.directory(), [&](const std::string& line) {
        log.append(LogLevel::Notice, line);
        log.flush();
        if (echo) {
            echo(line);
        }
    });
}
