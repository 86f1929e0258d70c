// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab_tab_view.h"

#include <QHeaderView>
#include <algorithm>
#include <set>

namespace km {
namespace {

// The words beneath each tab's charts: their name, and whether they can be selected.
struct Words {
  const char* name;
  bool selectable;
};
constexpr Words words[8] = {{"speedsFigures", false},     {"equipartitionFigures", false},
                            {"pressureFigures", true},    {"diffusionCaveat", false},
                            {"collisionsFigures", false}, {"hCaveat", false},
                            {"integrityFigures", true},   {"equationOfStateFigures", false}};

// The share of the height each tab gives its first chart and those after it.
constexpr int stretch[8][2] = {{1, 1}, {1, 1}, {3, 2}, {1, 1}, {0, 0}, {1, 1}, {1, 1}, {3, 3}};

}  // namespace

LabTabView::LabTabView(int index, QWidget* header, QWidget* parent)
    : QWidget(parent), index_(std::clamp(index, 0, 7)), layout_(new QVBoxLayout(this)) {
  const auto k = static_cast<std::size_t>(index_);
  if (header) layout_->addWidget(header);
  if (index_ == 0) {
    grid_ = new QGridLayout;
    layout_->addLayout(grid_, 1);
  }
  figures = new QLabel(this);
  figures->setObjectName(words[k].name);
  figures->setWordWrap(true);
  if (words[k].selectable) figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The Integrity tab's figures are the ones read from across a room.
  if (index_ == 6) {
    QFont f = figures->font();
    f.setPointSize(11);
    figures->setFont(f);
  }
  figures->hide();
  layout_->addWidget(figures);
}

ChartView* LabTabView::chart(const QString& id) const {
  const auto at = views_.find(id.toStdString());
  return at == views_.end() ? nullptr : at->second;
}

ChartView* LabTabView::place(const Chart& c) {
  auto* view = new ChartView(c.id);
  views_[c.id] = view;
  if (grid_) {
    // Species n in row (n-1)/2, column (n-1)%2.
    const std::size_t digits = c.id.find_last_not_of("0123456789");
    int n = placed_ + 1;
    if (digits != std::string::npos && digits + 1 < c.id.size())
      n = std::stoi(c.id.substr(digits + 1));
    n = std::max(n, 1);
    grid_->addWidget(view->box, (n - 1) / 2, (n - 1) % 2);
  } else {
    layout_->insertWidget(layout_->indexOf(figures), view->box,
                          stretch[index_][std::min(placed_, 1)]);
  }
  ++placed_;
  return view;
}

void LabTabView::draw(const LabTab& tab) {
  shown_.clear();
  std::set<ChartView*> drawn;
  for (const Chart& c : tab.charts) {
    ChartView* view = chart(QString::fromStdString(c.id));
    if (!view) view = place(c);
    view->draw(c);
    shown_ << view;
    drawn.insert(view);
  }
  for (const auto& [id, view] : views_) {
    const bool shown = drawn.count(view) > 0;
    if (view->box->isHidden() == shown) view->box->setVisible(shown);
  }
  const QString text = QString::fromStdString(tab.figures);
  if (figures->text() != text) figures->setText(text);
  if (figures->isHidden() != text.isEmpty()) figures->setVisible(!text.isEmpty());
  showTable(tab);
}

void LabTabView::showTable(const LabTab& tab) {
  if (!table && tab.tableHead.empty()) return;
  if (!table) {
    table = new QTableWidget(0, static_cast<int>(tab.tableHead.size()), this);
    table->setObjectName("sweepTable");
    QStringList head;
    for (const std::string& h : tab.tableHead)
      head << QString::fromStdString(h);
    table->setHorizontalHeaderLabels(head);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    // A refusal's reason is long: its cell wraps and its row grows to hold it.
    table->setWordWrap(true);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setMinimumHeight(120);
    layout_->addWidget(table, 1);
  }
  // Refilled only when a cell changed: the rows change with a sweep, not with a refresh.
  if (tab.table == cells_) return;
  cells_ = tab.table;
  table->setRowCount(static_cast<int>(cells_.size()));
  for (int k = 0; k < static_cast<int>(cells_.size()); ++k) {
    const std::vector<std::string>& row = cells_[static_cast<std::size_t>(k)];
    for (int c = 0; c < static_cast<int>(row.size()); ++c) {
      const QString text = QString::fromStdString(row[static_cast<std::size_t>(c)]);
      auto* item = new QTableWidgetItem(text);
      item->setToolTip(text);
      table->setItem(k, c, item);
    }
  }
}

}  // namespace km
