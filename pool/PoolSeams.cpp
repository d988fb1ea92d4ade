#include "pool/PoolSeams.h"

namespace pool {

PoolSeams::CreateThreadFn PoolSeams::createThread = &::CreateThread;
PoolSeams::TickCountFn PoolSeams::tickCount = &::GetTickCount;
PoolSeams::WorkerEnteredFn PoolSeams::workerEntered = nullptr;
volatile LONG PoolSeams::failWorkerEntry = 0;
volatile LONG PoolSeams::liveBlocks = 0;
volatile LONG PoolSeams::freedBlockSeen = 0;

void PoolSeams::reset() {
    createThread = &::CreateThread;
    tickCount = &::GetTickCount;
    workerEntered = nullptr;
    failWorkerEntry = 0;
}

}  // namespace pool
