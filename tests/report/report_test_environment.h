// Shared set-up of the report upload tests: a registered http thread, the report identity
// and cookies, and the endpoint pointed at the local collector.
#pragma once

#include <string>

#include "tests/report/collector_client.h"

// The identity every test report carries.
extern const char kTestImei[];
extern const char kTestAppver[];

// The report text the tests expect for an event with `dataObject` ("" for none), UTF-8.
std::string ExpectedReportText(const std::string& eventName, const std::string& dataObject);
