#include "engine/quantity.h"

#include <algorithm>

namespace quantity {

namespace {

double alpha(const berg::Result& row, int k, double) { return row.signed_value(k); }
double gamma(const berg::Result& row, int k, double) { return row.gamma(k); }
double g1(const berg::Result& row, int, double) { return row.g1(); }
double eta(const berg::Result& row, int, double xi) { return row.efficiency(xi); }
double db(const berg::Result& row, int k, double) { return row.level_db(k); }
double cos(const berg::Result& row, int, double) { return row.cos_theta(); }
double gn(const berg::Result& row, int k, double) {
  return row.signed_value(k) / row.signed_value(0);
}
double etan(const berg::Result& row, int k, double xi) { return 0.5 * xi * gn(row, k, xi); }

const std::vector<Description> kAll = {
    {Id::alpha, "alpha", 0, 5, alpha}, {Id::gamma, "gamma", 0, 5, gamma},
    {Id::g1, "g1", kWholeRow, 5, g1},  {Id::eta, "eta", kWholeRow, 5, eta},
    {Id::db, "db", 2, 2, db},          {Id::cos, "cos", kWholeRow, 5, cos},
    {Id::gn, "gn", 1, 5, gn},          {Id::etan, "etan", 1, 5, etan},
};

}  // namespace

bool of_harmonics(const Description& quantity) { return quantity.first_harmonic != kWholeRow; }

const std::vector<Description>& all() { return kAll; }

const Description& describe(Id id) { return kAll[static_cast<std::size_t>(id)]; }

std::optional<Id> named(std::string_view name) {
  for (const Description& quantity : kAll) {
    if (name == quantity.name) return quantity.id;
  }
  return std::nullopt;
}

std::string names() {
  std::string text;
  for (const Description& quantity : kAll)
    text.append(text.empty() ? "" : ", ").append(quantity.name);
  return text;
}

std::vector<Column> columns_of(const View& view) {
  std::vector<Column> columns;
  for (Id id : view.shown) {
    const Description& quantity = describe(id);
    if (!of_harmonics(quantity)) {
      columns.push_back({id, 0});
      continue;
    }
    for (int k : view.harmonics) {
      if (k >= quantity.first_harmonic) columns.push_back({id, k});
    }
  }
  return columns;
}

double value_of(const Column& column, const berg::Result& row, double xi) {
  return describe(column.id).value(row, column.harmonic, xi);
}

}  // namespace quantity
