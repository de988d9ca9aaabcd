#pragma once
// Moves the system's printer queues off the printer's device for the time of a download and
// gives them back afterwards. The engine only calls these two operations; the matching rules
// and the spooler access live behind them.
#include <string>

class QueueRedirection {
  public:
    virtual ~QueueRedirection() = default;
    virtual void redirectPrinterQueues(std::string portArg, std::string modelArg) = 0;
    virtual void restorePrinterQueues() = 0;
};
