// The funnel summary shown three ways: a plain-text table for the terminal, JSON for
// scripts, and one self-contained HTML page (inline CSS and SVG, no external assets) with
// the funnel drawn as bars.
//
//   std::cout << SummaryTable(summary, "since 2026-12-01, channel default");
//   std::string page = SummaryPage(summary, "last 7 days, every channel");
//
// Plain functions; any thread.
#pragma once

#include <string>

#include "funnel.h"

std::string SummaryTable(const FunnelSummary& summary, const std::string& scope);
std::string SummaryJson(const FunnelSummary& summary, const std::string& scope);
std::string SummaryPage(const FunnelSummary& summary, const std::string& scope);
