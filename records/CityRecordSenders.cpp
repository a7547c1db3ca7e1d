#include "records/CityRecordSenders.h"

namespace {
CityRecordSenders g_senders;
} // namespace

void SetCityRecordSenders(const CityRecordSenders& senders) {
    g_senders = senders;
}

const CityRecordSenders& CurrentCityRecordSenders() {
    return g_senders;
}
