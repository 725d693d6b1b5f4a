-- Prints the script's arguments, one line, as mdhost run hands them over.
print("arguments: " .. table.concat(arg, " "))
