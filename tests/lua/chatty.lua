-- Reads the name of a plugin that prints as it answers: only the script's
-- own print reaches mdhost's output.
print("name: " .. ModuleDetails.GetName(arg[1]))
