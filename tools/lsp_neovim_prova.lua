-- Driven by lsp_neovim_e2e_test.cc: opens a description text in headless
-- Neovim with the built-in client attached to `binario lsp`, writes what the
-- client received to BINARIO_LSP_OUT, applies the first quick fix and writes
-- what is left once the server has answered the change.
local exe = os.getenv('BINARIO_LSP_EXE')
local file = os.getenv('BINARIO_LSP_FILE')
local out = os.getenv('BINARIO_LSP_OUT')
local righe = {}

local function fine(motivo)
  table.insert(righe, motivo)
  vim.fn.writefile(righe, out)
  vim.cmd('qall!')
end

-- A server that never answers must not hang the test.
vim.defer_fn(function() fine('scaduto') end, 20000)

vim.cmd('edit ' .. vim.fn.fnameescape(file))
local buf = vim.api.nvim_get_current_buf()
local id = vim.lsp.start_client({ name = 'binario', cmd = { exe, 'lsp' }, root_dir = vim.fn.fnamemodify(file, ':h') })
vim.lsp.buf_attach_client(buf, id)

if not vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20) then
  fine('nessuna diagnostica')
  return
end
local d = vim.diagnostic.get(buf)[1]
table.insert(righe, string.format('diagnostica %d %d %d %d %s', d.lnum, d.col, d.end_col, d.severity, d.message))

local client = vim.lsp.get_client_by_id(id)
local risposta = client.request_sync('textDocument/codeAction', {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  range = { start = { line = d.lnum, character = d.col }, ['end'] = { line = d.lnum, character = d.end_col } },
  context = { diagnostics = {} },
}, 5000, buf)
if not risposta or not risposta.result or #risposta.result == 0 then
  fine('nessuna correzione')
  return
end
vim.lsp.util.apply_workspace_edit(risposta.result[1].edit, client.offset_encoding or 'utf-16')
table.insert(righe, 'riga ' .. vim.api.nvim_buf_get_lines(buf, d.lnum, d.lnum + 1, true)[1])

vim.wait(10000, function() return #vim.diagnostic.get(buf) == 0 end, 20)
table.insert(righe, 'rimaste ' .. #vim.diagnostic.get(buf))
fine('fatto')
