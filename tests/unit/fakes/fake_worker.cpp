#include "fakes/fake_worker.h"

#include "gateway/request_message.h"
#include "gateway/worker.h"

namespace fake {

int workerStarts = 0;
bool workerStartSucceeds = true;
std::string formBodyAtStart;

void ResetFakeWorker() {
  workerStarts = 0;
  workerStartSucceeds = true;
  formBodyAtStart.clear();
}

}  // namespace fake

bool StartGatewayWorker() {
  ++fake::workerStarts;
  fake::formBodyAtStart = FormBody;
  return fake::workerStartSucceeds;
}
