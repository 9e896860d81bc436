#pragma once

class SQLConnection;

// The catalogues the administrator's tool loads into a fresh database.
namespace DemoCatalogue {

// An invented hospital's catalogue: about 20 classifications nested up to three deep, 150
// generic names (a few filed under no classification), 600 drugs (some filed under no generic
// name) with their clinical details, some other-details texts, and the hospital header.
void Load(SQLConnection& connection);

// A generated catalogue of about `nodes` tree nodes (at most 32,000) holding `drugs` drug
// nodes (at most 20,000), for benchmarks.
void LoadSynthetic(SQLConnection& connection, int nodes, int drugs);

} // namespace DemoCatalogue
