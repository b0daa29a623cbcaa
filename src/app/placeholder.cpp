// Keeps orvalle_ui non-empty until its first window lands; remove then.
