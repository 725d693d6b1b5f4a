-- Prints the script's arguments, one line each way, as mdhost run hands them
-- over: in `arg` and as `...`.
print("arguments: " .. table.concat(arg, " "))
print("varargs: " .. select("#", ...) .. ": " .. table.concat({ ... }, " "))
