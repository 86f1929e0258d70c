// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "chart_view.h"
#include "lab_tabs.h"

namespace km {

// One tab of the laboratory drawn from its description: its charts (the Speeds tab's in a
// grid, one place a species; the others one above the other), the words beneath them and the
// table. A chart is made the first time its description names it and kept after; one the
// description leaves out is hidden.
class LabTabView : public QWidget {
 public:
  // `index` in labTabNames; `header` (the tab's own controls, or nullptr) goes above the charts.
  explicit LabTabView(int index, QWidget* header = nullptr, QWidget* parent = nullptr);
  void draw(const LabTab& tab);

  int index() const { return index_; }
  // The charts the last description held, in its order.
  const QList<ChartView*>& views() const { return shown_; }
  // The chart named `id`, or nullptr when the tab has never drawn it.
  ChartView* chart(const QString& id) const;

  QLabel* figures;
  QTableWidget* table = nullptr;  // made with the first description that has one

 private:
  ChartView* place(const Chart& c);
  void showTable(const LabTab& tab);

  int index_;
  QVBoxLayout* layout_;
  QGridLayout* grid_ = nullptr;
  int placed_ = 0;  // charts placed in layout_
  std::map<std::string, ChartView*> views_;
  QList<ChartView*> shown_;
  std::vector<std::vector<std::string>> cells_;  // the table as shown
};

}  // namespace km
