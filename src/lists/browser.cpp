// The file browser pane: drive box, directory list, file list and filter box.
#include "app/form_select.h"

namespace mx {

void TFormSelect::CreateBrowser() {}

void TFormSelect::SetFilterText(std::string_view filter) { FilterText = filter; }

bool TFormSelect::OnBrowserCommand(int, int) { return false; }

void TFormSelect::DirectoryListBox1Change() {}

void TFormSelect::FilterComboBox1Change() {}

void TFormSelect::Refresh1Click() {}

bool TFormSelect::ApplyFilePath(const std::string&) { return false; }

}  // namespace mx
